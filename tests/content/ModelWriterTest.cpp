#include "ModelReader.h"

#include "ModelWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace content;

namespace
{

SModelData MakeSkeletalTriangle()
{
    SModelData model;
    model.flags = MP_SKELETAL | MP_TRIANGLE_LISTS | MP_VISIBLE;
    model.frames = 2;
    model.speed = 10.0f;
    for (int b = 0; b < 2; ++b) {
        SModelBone bone;
        bone.name = b == 0 ? "Bone01" : "Bone02";
        bone.boxMin = CVector3(-1.0f, -2.0f, -3.0f);
        bone.boxMax = CVector3(1.0f, 2.0f, 3.0f);
        bone.value = 7;
        bone.lastDescendant = 1;
        model.bones.push_back(bone);
    }
    for (int k = 0; k < 4; ++k) {
        model.keys.push_back({CVector3(static_cast<float>(k), 0.5f, -0.5f),
                              CQuaternion(0.0f, 0.0f, 0.6f, 0.8f), CVector3(1.0f)});
    }
    SModelTriangleSet set;
    set.indices = {0, 1, 2};
    for (int i = 0; i < 3; ++i) {
        SModelVertex vertex;
        vertex.position = CVector3(static_cast<float>(i), 1.0f, 2.0f);
        vertex.normal = CVector3(0.0f, 0.0f, 1.0f);
        vertex.u = 0.25f * i;
        vertex.v = 0.5f;
        vertex.influences.push_back(
            {static_cast<std::uint32_t>(i % 2), 1.0f, CVector3(0, 0, 1), CVector3(0.1f, 0.2f, 0.3f)});
        set.vertices.push_back(vertex);
    }
    set.material = "skin";
    set.shader = 1;
    model.sets.push_back(set);
    model.octreeName = "tree";
    return model;
}

} // namespace

TEST(ModelWriter, SkeletalModelReadsBackFieldByField)
{
    std::vector<std::uint8_t> const bytes = CModelWriter::Write(MakeSkeletalTriangle());
    SReadModel const model = ReadModel(bytes);
    EXPECT_EQ(model.version, 200u);
    EXPECT_EQ(model.flags, MP_SKELETAL | MP_TRIANGLE_LISTS | MP_VISIBLE);
    EXPECT_EQ(model.frames, 2u);
    EXPECT_FLOAT_EQ(model.speed, 10.0f);
    ASSERT_EQ(model.bones.size(), 2u);
    EXPECT_EQ(model.bones[1].name, "Bone02");
    EXPECT_EQ(model.bones[1].value, 7u);
    EXPECT_EQ(model.bones[1].lastDescendant, 1u);
    EXPECT_FLOAT_EQ(model.bones[0].min[1], -2.0f);
    EXPECT_FLOAT_EQ(model.bones[0].max[2], 3.0f);
    ASSERT_EQ(model.keys.size(), 4u);
    EXPECT_FLOAT_EQ(model.keys[3][0], 3.0f);
    EXPECT_FLOAT_EQ(model.keys[3][5], 0.6f); // quaternion z
    EXPECT_FLOAT_EQ(model.keys[3][6], 0.8f); // quaternion w
    EXPECT_FLOAT_EQ(model.keys[3][9], 1.0f); // scale z
    EXPECT_EQ(model.vertexCount, 3u);
    ASSERT_EQ(model.sets.size(), 1u);
    SReadSet const& set = model.sets[0];
    EXPECT_EQ(set.indices, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_FLOAT_EQ(set.vertices[2].u, 0.5f);
    EXPECT_FLOAT_EQ(set.vertices[2].position[0], 2.0f); // u, v, normal come before the position
    ASSERT_EQ(set.vertices[1].influences.size(), 1u);
    EXPECT_EQ(set.vertices[1].influences[0].bone, 1u);
    EXPECT_FLOAT_EQ(set.vertices[1].influences[0].position[2], 0.3f);
    EXPECT_EQ(set.material, "skin");
    EXPECT_EQ(set.shader, 1u);
    EXPECT_EQ(model.octreeName, "tree");
}

TEST(ModelWriter, StaticModelHasNoFramesBlockAndZeroTails)
{
    SModelData model;
    model.flags = MP_STATIC | MP_TRIANGLE_LISTS;
    SModelTriangleSet set;
    set.indices = {0, 1, 2};
    set.vertices.resize(3);
    model.sets.push_back(set);
    std::vector<std::uint8_t> const bytes = CModelWriter::Write(model);
    CTestByteReader in(bytes);
    in.Header("TWMLF");
    EXPECT_EQ(in.U32(), model.flags);
    EXPECT_EQ(in.U32(), 3u); // vertex count follows the flags directly
    EXPECT_EQ(in.U32(), 1u);
    SReadModel const read = ReadModel(bytes);
    EXPECT_EQ(read.frames, 1u);
}

TEST(ModelWriter, MorphModelCountsEveryFrameRecordButIndexesOneFrame)
{
    SModelData model;
    model.flags = MP_MORPH | MP_TRIANGLE_LISTS;
    model.frames = 3;
    SModelTriangleSet set;
    set.indices = {0, 1, 2};
    set.vertices.resize(9);
    model.sets.push_back(set);
    EXPECT_EQ(model.GetBufferVertexCount(), 3u);
    SReadModel const read = ReadModel(CModelWriter::Write(model));
    EXPECT_EQ(read.vertexCount, 9u);
    EXPECT_EQ(read.frames, 3u);

    model.sets[0].indices = {0, 1, 3}; // index 3 is outside the three-vertex buffer
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);
    model.sets[0].indices = {0, 1, 2};
    model.sets[0].vertices.resize(8); // not a whole number of frames
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);
}

TEST(ModelWriter, RejectsInconsistentModels)
{
    SModelData model = MakeSkeletalTriangle();
    model.flags |= MP_STATIC;
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);

    model = MakeSkeletalTriangle();
    model.keys.pop_back();
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);

    model = MakeSkeletalTriangle();
    model.sets[0].vertices[0].influences[0].bone = 2;
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);

    model = MakeSkeletalTriangle();
    model.bones[0].lastDescendant = 5;
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);

    model = MakeSkeletalTriangle();
    model.sets[0].indices.push_back(0); // four indices cannot make a triangle list
    EXPECT_THROW(CModelWriter::Write(model), std::invalid_argument);

    model = MakeSkeletalTriangle();
    model.bones[0].name = std::string(255, 'b');
    EXPECT_THROW(CModelWriter::Write(model), std::length_error);
}
