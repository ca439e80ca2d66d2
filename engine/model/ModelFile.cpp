#include "model/ModelFile.h"

#include <algorithm>
#include <cstring>

#include "core/File.h"

namespace
{
constexpr char Magic[5] = {'T', 'W', 'M', 'L', 'F'};
constexpr unsigned int HeaderSize = 13;
// Smallest number of bytes each record takes in the file.
constexpr std::uint64_t BoneBytes = 1 + 1 + 24 + 8;
constexpr std::uint64_t KeyframeBytes = 40;
constexpr std::uint64_t VertexBytes = 36;
constexpr std::uint64_t InfluenceBytes = 32;
constexpr std::uint64_t TriangleSetBytes = 4 + 4 + 1 + 4;
constexpr unsigned int SixteenBitIndicesLimit = 65536;

class CModelFileReader
{
public:
    explicit CModelFileReader(CFile& file) : m_file(file) {}

    std::uint32_t ReadUnsigned()
    {
        std::uint32_t value;
        m_file.Read(&value, 4);
        return value;
    }
    float ReadFloat()
    {
        float value;
        m_file.Read(&value, 4);
        return value;
    }
    CVector3 ReadVector()
    {
        float values[3];
        m_file.Read(values, sizeof values);
        return {values[0], values[1], values[2]};
    }
    std::string ReadString()
    {
        char text[CFile::TextLength];
        m_file.ReadBinaryString(text);
        return text;
    }
    void Read(void* buffer, unsigned int bytes) { m_file.Read(buffer, bytes); }
    std::uint8_t ReadByte()
    {
        std::uint8_t value;
        m_file.Read(&value, 1);
        return value;
    }
    // Whether `count` records of at least `bytes` bytes can still follow.
    bool Fits(std::uint64_t count, std::uint64_t bytes) const
    {
        std::uint64_t const left = m_file.GetSize() - std::min(m_file.GetPosition(), m_file.GetSize());
        return count * bytes <= left;
    }

private:
    CFile& m_file;
};

class CModelFileWriter
{
public:
    void WriteUnsigned(std::uint32_t value) { WriteBytes(&value, 4); }
    void WriteFloat(float value) { WriteBytes(&value, 4); }
    void WriteVector(CVector3 const& v)
    {
        WriteFloat(v.x);
        WriteFloat(v.y);
        WriteFloat(v.z);
    }
    void WriteString(std::string const& text)
    {
        std::size_t const characters = std::min<std::size_t>(text.size(), CFile::TextLength - 2);
        m_bytes.push_back(static_cast<std::uint8_t>(characters + 1));
        WriteBytes(text.data(), characters);
        m_bytes.push_back(0);
    }
    void WriteBytes(void const* data, std::size_t count)
    {
        auto const* bytes = static_cast<std::uint8_t const*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
    }
    std::vector<std::uint8_t>& GetBytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace

bool SModelFileTriangleSet::NeedsWideIndices() const
{
    return indices.size() >= SixteenBitIndicesLimit ||
           std::any_of(indices.begin(), indices.end(), [](std::uint32_t index) { return index > 0xFFFFu; });
}

namespace
{
bool IsSingleKind(std::uint32_t properties)
{
    std::uint32_t const kind = properties & MP_KINDS;
    return kind == MP_STATIC || kind == MP_MORPH || kind == MP_SKELETAL;
}

// Used-vertex range of the indices (the index buffer is wide enough for every one).
std::uint32_t UsedVerticesCount(std::vector<std::uint32_t> const& indices)
{
    if (indices.empty())
        return 0;
    auto const [low, high] = std::minmax_element(indices.begin(), indices.end());
    return *high - *low + 1;
}

bool ReadBones(CModelFileReader& reader, SModelFile* model)
{
    std::uint32_t const count = reader.ReadUnsigned();
    if (!reader.Fits(count, BoneBytes))
        return false;
    model->bones.resize(count);
    for (SModelFileBone& bone : model->bones) {
        bone.flag = reader.ReadByte();
        bone.name = reader.ReadString();
        bone.min = reader.ReadVector();
        bone.max = reader.ReadVector();
        bone.fileValue = reader.ReadUnsigned();
        bone.lastDescendant = reader.ReadUnsigned();
        if (bone.lastDescendant >= count)
            return false;
    }
    std::uint64_t const keyframes = std::uint64_t(model->framesCount) * count;
    if (!reader.Fits(keyframes, KeyframeBytes))
        return false;
    model->keyframes.resize(keyframes);
    for (SModelFileKeyframe& keyframe : model->keyframes) {
        float values[10];
        reader.Read(values, sizeof values);
        keyframe.position = {values[0], values[1], values[2]};
        keyframe.rotation = {values[3], values[4], values[5], values[6]};
        keyframe.scale = {values[7], values[8], values[9]};
    }
    return true;
}

bool ReadTriangleSet(CModelFileReader& reader, SModelFile const& model, std::uint32_t bufferVertices,
                     std::uint64_t* recordsOffset, std::uint64_t recordsCapacity, std::uint64_t* morphOffset,
                     SModelFileTriangleSet* set)
{
    std::uint32_t const indicesCount = reader.ReadUnsigned();
    std::uint32_t const verticesCount = reader.ReadUnsigned();
    if (!reader.Fits(indicesCount, 4) || !reader.Fits(verticesCount, VertexBytes))
        return false;
    // A strip needs two indices before its primitive count can be taken.
    if ((model.properties & MP_TRIANGLE_LISTS) == 0 && indicesCount < 2)
        return false;
    set->indices.resize(indicesCount);
    reader.Read(set->indices.data(), indicesCount * 4);
    for (std::uint32_t index : set->indices) {
        if (index >= bufferVertices)
            return false;
    }
    if (*recordsOffset + verticesCount > recordsCapacity)
        return false;
    *recordsOffset += verticesCount;
    if (model.IsMorph()) {
        // The per-frame blend reads frames × (used vertices) records from the set's offset.
        *morphOffset += std::uint64_t(model.framesCount) * UsedVerticesCount(set->indices);
        if (*morphOffset > recordsCapacity)
            return false;
    }
    bool const skeletal = model.IsSkeletal();
    set->vertices.resize(verticesCount);
    for (SModelFileVertex& vertex : set->vertices) {
        float values[8];
        reader.Read(values, sizeof values);
        vertex.u = values[0];
        vertex.v = values[1];
        vertex.normal = {values[2], values[3], values[4]};
        vertex.position = {values[5], values[6], values[7]};
        vertex.tail = reader.ReadUnsigned();
        if (!skeletal)
            continue;
        std::uint32_t const influences = vertex.tail & 0xFFFFu;
        if (!reader.Fits(influences, InfluenceBytes))
            return false;
        for (std::uint32_t i = 0; i < influences; ++i) {
            SModelFileInfluence influence;
            influence.bone = reader.ReadUnsigned();
            influence.weight = reader.ReadFloat();
            influence.normal = reader.ReadVector();
            influence.position = reader.ReadVector();
            if (influence.bone >= model.bones.size())
                return false;
            set->influences.push_back(influence);
        }
    }
    set->material = reader.ReadString();
    set->shaderNumber = reader.ReadUnsigned();
    return true;
}

EModelFileResult ReadContent(CModelFileReader& reader, SModelFile* model)
{
    model->properties = reader.ReadUnsigned();
    if (!IsSingleKind(model->properties))
        return EModelFileResult::BadFormat;
    if (model->properties & (MP_MORPH | MP_SKELETAL)) {
        model->framesCount = reader.ReadUnsigned();
        model->speed = reader.ReadFloat();
        if (model->framesCount == 0)
            return EModelFileResult::BadFormat;
    }
    if ((model->properties & MP_SKELETAL) && !ReadBones(reader, model))
        return EModelFileResult::BadFormat;
    model->verticesCount = reader.ReadUnsigned();
    if (!reader.Fits(model->verticesCount, VertexBytes))
        return EModelFileResult::BadFormat;
    std::uint32_t const bufferVertices = model->GetBufferVerticesCount();
    std::uint64_t const recordsCapacity =
        model->IsMorph() ? std::uint64_t(bufferVertices) * model->framesCount : bufferVertices;
    std::uint32_t const setsCount = reader.ReadUnsigned();
    if (!reader.Fits(setsCount, TriangleSetBytes))
        return EModelFileResult::BadFormat;
    model->triangleSets.resize(setsCount);
    std::uint64_t recordsOffset = 0;
    std::uint64_t morphOffset = 0;
    for (SModelFileTriangleSet& set : model->triangleSets) {
        if (!ReadTriangleSet(reader, *model, bufferVertices, &recordsOffset, recordsCapacity, &morphOffset,
                             &set))
            return EModelFileResult::BadFormat;
    }
    model->octreeName = reader.ReadString();
    return EModelFileResult::Ok;
}

void WriteTriangleSet(CModelFileWriter& writer, SModelFile const& model, SModelFileTriangleSet const& set)
{
    writer.WriteUnsigned(static_cast<std::uint32_t>(set.indices.size()));
    writer.WriteUnsigned(static_cast<std::uint32_t>(set.vertices.size()));
    writer.WriteBytes(set.indices.data(), set.indices.size() * 4);
    bool const skeletal = model.IsSkeletal();
    std::size_t influence = 0;
    for (SModelFileVertex const& vertex : set.vertices) {
        writer.WriteFloat(vertex.u);
        writer.WriteFloat(vertex.v);
        writer.WriteVector(vertex.normal);
        writer.WriteVector(vertex.position);
        writer.WriteUnsigned(vertex.tail);
        if (!skeletal)
            continue;
        for (std::uint32_t i = 0; i < (vertex.tail & 0xFFFFu) && influence < set.influences.size(); ++i) {
            SModelFileInfluence const& record = set.influences[influence++];
            writer.WriteUnsigned(record.bone);
            writer.WriteFloat(record.weight);
            writer.WriteVector(record.normal);
            writer.WriteVector(record.position);
        }
    }
    writer.WriteString(set.material);
    writer.WriteUnsigned(set.shaderNumber);
}
} // namespace

std::uint32_t SModelFile::GetBufferVerticesCount() const
{
    return IsMorph() ? verticesCount / framesCount : verticesCount;
}

EModelFileResult ReadModelFile(CFile& file, SModelFile* model)
{
    *model = SModelFile();
    unsigned char header[HeaderSize];
    file.Read(header, HeaderSize);
    std::uint32_t size;
    std::uint32_t version;
    std::memcpy(&size, header, 4);
    std::memcpy(&version, header + 9, 4);
    if (std::memcmp(header + 4, Magic, sizeof Magic) != 0 || size != file.GetSize())
        return EModelFileResult::BadFormat;
    if (version != SModelFile::Version)
        return EModelFileResult::BadVersion;
    CModelFileReader reader(file);
    EModelFileResult const result = ReadContent(reader, model);
    if (result != EModelFileResult::Ok)
        *model = SModelFile();
    return result;
}

std::vector<std::uint8_t> WriteModelFileImage(SModelFile const& model)
{
    CModelFileWriter writer;
    writer.WriteUnsigned(0);
    writer.WriteBytes(Magic, sizeof Magic);
    writer.WriteUnsigned(SModelFile::Version);
    writer.WriteUnsigned(model.properties);
    if (model.properties & (MP_MORPH | MP_SKELETAL)) {
        writer.WriteUnsigned(model.framesCount);
        writer.WriteFloat(model.speed);
    }
    if (model.properties & MP_SKELETAL) {
        writer.WriteUnsigned(static_cast<std::uint32_t>(model.bones.size()));
        for (SModelFileBone const& bone : model.bones) {
            writer.WriteBytes(&bone.flag, 1);
            writer.WriteString(bone.name);
            writer.WriteVector(bone.min);
            writer.WriteVector(bone.max);
            writer.WriteUnsigned(bone.fileValue);
            writer.WriteUnsigned(bone.lastDescendant);
        }
        for (SModelFileKeyframe const& keyframe : model.keyframes) {
            writer.WriteVector(keyframe.position);
            writer.WriteFloat(keyframe.rotation.x);
            writer.WriteFloat(keyframe.rotation.y);
            writer.WriteFloat(keyframe.rotation.z);
            writer.WriteFloat(keyframe.rotation.w);
            writer.WriteVector(keyframe.scale);
        }
    }
    writer.WriteUnsigned(model.verticesCount);
    writer.WriteUnsigned(static_cast<std::uint32_t>(model.triangleSets.size()));
    for (SModelFileTriangleSet const& set : model.triangleSets)
        WriteTriangleSet(writer, model, set);
    writer.WriteString(model.octreeName);
    std::vector<std::uint8_t>& bytes = writer.GetBytes();
    auto const size = static_cast<std::uint32_t>(bytes.size());
    std::memcpy(bytes.data(), &size, 4);
    return std::move(bytes);
}
