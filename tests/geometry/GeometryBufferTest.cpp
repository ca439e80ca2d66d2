#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "camera/RenderHost.h"
#include "core/Errors.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"
#include "support/FakeDirect3D8.h"

namespace
{
class GeometryBufferTest : public ::testing::Test
{
protected:
    void SetUp() override { host.Create(true); }
    void TearDown() override { host.Destroy(); }

    IndexBuffer MakeIndices(unsigned int count)
    {
        return IndexBuffer(&host.messages, &host.memory, &host.direct3D, count);
    }
    VertexBuffer MakeVertices(unsigned int count)
    {
        return VertexBuffer(&host.messages, &host.memory, &host.direct3D, count);
    }

    unsigned int AddShader(unsigned int stages)
    {
        CShaderDescriptor descriptor;
        host.shaders.CreateShaderDescriptor(&descriptor, 0u);
        for (unsigned int i = 0; i < stages; ++i)
            descriptor.AddStage(SSF_NO_LOAD, 1, 0.0f, "", "", SSBT_REPEAT);
        return host.shaders.AddShader(descriptor);
    }

    std::unique_ptr<TriangleSet> MakeSet(TriangleSetType type, unsigned int indexCount,
                                         VertexBuffer* vertices, unsigned int stages = 0)
    {
        return std::make_unique<TriangleSet>(&host.messages, &host.memory, &host.direct3D, &host.shaders,
                                             type, indexCount, vertices, AddShader(stages));
    }

    // The fatal text of `action` ("" when it returns).
    template <typename Action> std::string FatalText(Action action)
    {
        try {
            action();
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }

    SRenderHost host;
};

// --- index buffers ------------------------------------------------------------------------

TEST_F(GeometryBufferTest, IndexWidthSwitchesAt65536)
{
    IndexBuffer narrow = MakeIndices(65535);
    EXPECT_EQ(narrow.GetFormat(), D3DFMT_INDEX16);
    EXPECT_EQ(narrow.GetFormatSize(), 2u);
    EXPECT_EQ(narrow.GetCapacity(), 65535u);
    EXPECT_EQ(narrow.GetSize(), 65535u);

    IndexBuffer wide = MakeIndices(65536);
    EXPECT_EQ(wide.GetFormat(), D3DFMT_INDEX32);
    EXPECT_EQ(wide.GetFormatSize(), 4u);

    unsigned int const last = 65535;
    wide.CopyIndices(65535, 1, &last);
    EXPECT_EQ(wide.GetIndex(65535), 65535u);
}

TEST_F(GeometryBufferTest, NarrowIndicesKeepTheLow16Bits)
{
    unsigned int const values[3] = {70000, 65535, 3};
    IndexBuffer narrow = MakeIndices(3);
    narrow.CopyIndices(0, 3, values);
    EXPECT_EQ(narrow.GetIndex(0), 4464u);
    EXPECT_EQ(narrow.GetIndex(1), 65535u);
    EXPECT_EQ(narrow.GetIndex(2), 3u);

    IndexBuffer wide = MakeIndices(70001);
    wide.CopyIndices(10, 3, values);
    EXPECT_EQ(wide.GetIndex(10), 70000u);
    EXPECT_EQ(wide.GetIndex(12), 3u);
}

TEST_F(GeometryBufferTest, UsedVertexRangeFollowsSizeAndWrites)
{
    unsigned int const values[6] = {7, 3, 9, 5, 40, 1};
    IndexBuffer indices = MakeIndices(6);
    indices.CopyIndices(0, 6, values);
    EXPECT_EQ(indices.GetMinUsingVertex(), 1u);
    EXPECT_EQ(indices.GetUsingVerticesCount(), 40u);

    indices.SetSize(3);
    EXPECT_EQ(indices.GetMinUsingVertex(), 3u);
    EXPECT_EQ(indices.GetUsingVerticesCount(), 7u);

    // Writes through a lock are seen at the next query.
    auto* data = static_cast<std::uint16_t*>(indices.Lock(1, 1));
    EXPECT_TRUE(indices.IsLocked());
    data[0] = 8;
    indices.Unlock();
    EXPECT_FALSE(indices.IsLocked());
    EXPECT_EQ(indices.GetMinUsingVertex(), 7u);
    EXPECT_EQ(indices.GetUsingVerticesCount(), 3u);

    indices.SetSize(0);
    EXPECT_EQ(indices.GetUsingVerticesCount(), 0u);
}

TEST_F(GeometryBufferTest, IndexCopyIsDeepAndKeepsSizeAndRange)
{
    unsigned int const values[4] = {2, 4, 6, 8};
    IndexBuffer source = MakeIndices(4);
    source.CopyIndices(0, 4, values);
    source.SetSize(2);
    EXPECT_EQ(source.GetUsingVerticesCount(), 3u);

    IndexBuffer copy(source);
    unsigned int const changed = 100;
    source.CopyIndices(0, 1, &changed);
    EXPECT_EQ(copy.GetIndex(0), 2u);
    EXPECT_EQ(copy.GetIndex(3), 8u);
    EXPECT_EQ(copy.GetSize(), 2u);
    EXPECT_EQ(copy.GetCapacity(), 4u);
    EXPECT_EQ(copy.GetFormat(), D3DFMT_INDEX16);
    EXPECT_EQ(copy.GetMinUsingVertex(), 2u);
    EXPECT_EQ(copy.GetUsingVerticesCount(), 3u);
}

// --- vertex buffers and colours -------------------------------------------------------------

TEST_F(GeometryBufferTest, ColourChannelsClampAndRound)
{
    EXPECT_EQ(PackColorChannel(1.0f), 255u);
    EXPECT_EQ(PackColorChannel(1.2f), 255u);
    EXPECT_EQ(PackColorChannel(0.0f), 0u);
    EXPECT_EQ(PackColorChannel(-1.0f), 0u);
    EXPECT_EQ(PackColorChannel(0.5f), 128u);
    EXPECT_EQ(PackColorChannel(0.999f), 255u);
    EXPECT_EQ(PackColorChannel(0.998f), 254u);
    EXPECT_EQ(PackColorChannel(0.001f), 0u);
    EXPECT_EQ(PackColor(CVector4(1.2f, 0.5f, -1.0f, 1.0f)), 0xFFFF8000u);
    EXPECT_EQ(PackColor(CVector4(0.5f, 0.0f, 2.0f, -1.0f)), 0x008000FFu);
}

TEST_F(GeometryBufferTest, NewVerticesAreOpaqueWhiteAndSetColorPacksEveryVertex)
{
    VertexBuffer vertices = MakeVertices(5);
    for (unsigned int i = 0; i < 5; ++i) {
        EXPECT_EQ(vertices.Get()[i].color, 0xFFFFFFFFu);
        EXPECT_EQ(vertices.GetColor(i), CVector4(1.0f, 1.0f, 1.0f, 1.0f));
    }
    EXPECT_FALSE(vertices.IsLocked());

    vertices.SetColor(CVector4(0.5f, 0.0f, 2.0f, -1.0f));
    EXPECT_FALSE(vertices.IsLocked());
    for (unsigned int i = 0; i < 5; ++i)
        EXPECT_EQ(vertices.Get()[i].color, 0x008000FFu);
    CVector4 const read = vertices.GetColor(4);
    EXPECT_FLOAT_EQ(read.x, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(read.y, 0.0f);
    EXPECT_FLOAT_EQ(read.z, 1.0f);
    EXPECT_FLOAT_EQ(read.w, 0.0f);
}

TEST_F(GeometryBufferTest, VertexLockRecordsTheRangeAndCopiesAreDeep)
{
    VertexBuffer vertices = MakeVertices(4);
    Vertex* locked = vertices.Lock(2, 2);
    EXPECT_TRUE(vertices.IsLocked());
    EXPECT_EQ(vertices.GetLockStart(), 2u);
    EXPECT_EQ(vertices.GetLockCount(), 2u);
    EXPECT_EQ(locked, vertices.Get() + 2);
    locked[0].position.Set(1.0f, 2.0f, 3.0f);
    vertices.Unlock();

    VertexBuffer copy(vertices);
    vertices.Lock(0, 4)[2].position.Set(9.0f, 9.0f, 9.0f);
    vertices.Unlock();
    EXPECT_EQ(copy.GetSize(), 4u);
    EXPECT_EQ(copy.Get()[2].position, CVector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(copy.Get()[0].color, 0xFFFFFFFFu);
}

TEST_F(GeometryBufferTest, UseSetsTheVertexFormatAndFailureIsFatal)
{
    VertexBuffer vertices = MakeVertices(3);
    vertices.Use();
    EXPECT_EQ(host.FakeDevice()->vertexShader, 338u);

    host.FakeDevice()->failures["SetVertexShader"] = E_FAIL;
    EXPECT_EQ(FatalText([&] { vertices.Use(); }), "Direct3D Subsystem (VertexBuffer::Use): E_FAIL");
}

// --- triangle sets ----------------------------------------------------------------------------

TEST_F(GeometryBufferTest, PrimitiveCountsOfListsAndStrips)
{
    VertexBuffer vertices = MakeVertices(8);
    auto list = MakeSet(TST_LIST, 7, &vertices);
    EXPECT_EQ(list->GetPrimitiveCount(), 2u);
    EXPECT_EQ(list->GetPrimitiveType(), D3DPT_TRIANGLELIST);

    auto strip = MakeSet(TST_STRIP, 5, &vertices);
    EXPECT_EQ(strip->GetPrimitiveCount(), 3u);
    EXPECT_EQ(strip->GetPrimitiveType(), D3DPT_TRIANGLESTRIP);

    auto other = MakeSet(static_cast<TriangleSetType>(7), 4, &vertices);
    EXPECT_EQ(other->GetPrimitiveType(), D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(other->GetPrimitiveCount(), 2u);

    list->GetIndexBuffer()->SetSize(6);
    EXPECT_EQ(list->GetPrimitiveCount(), 2u);
    list->GetIndexBuffer()->SetSize(3);
    list->Refresh();
    EXPECT_EQ(list->GetPrimitiveCount(), 1u);
}

TEST_F(GeometryBufferTest, DrawSendsTheWholeVertexBufferAndTheIndexFormat)
{
    VertexBuffer vertices = MakeVertices(10);
    auto set = MakeSet(TST_LIST, 6, &vertices);
    unsigned int const values[6] = {0, 1, 2, 2, 3, 0};
    set->GetIndexBuffer()->CopyIndices(0, 6, values);
    host.fakeRuntime.ClearCalls();
    set->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitiveUP(4,0,10,2,101,36)"), 1u);

    VertexBuffer many = MakeVertices(4);
    auto wide = MakeSet(TST_STRIP, 70000, &many);
    host.fakeRuntime.ClearCalls();
    wide->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitiveUP(5,0,4,69998,102,36)"), 1u);

    host.FakeDevice()->failures["DrawIndexedPrimitiveUP"] = D3DERR_INVALIDCALL;
    EXPECT_EQ(FatalText([&] { set->Draw(); }), "Direct3D Subsystem (TriangleSet::Draw): D3DERR_INVALIDCALL");
}

TEST_F(GeometryBufferTest, DrawSkipsEmptySetsAndShadersWithMoreStagesThanUnits)
{
    unsigned int const units = host.direct3D.GetMaxTextureUnits();
    ASSERT_GT(units, 0u);
    ASSERT_LT(units, CShaderDescriptor::MaxStages);
    VertexBuffer vertices = MakeVertices(3);

    auto fits = MakeSet(TST_LIST, 3, &vertices, units);
    auto tooMany = MakeSet(TST_LIST, 3, &vertices, units + 1);
    auto empty = MakeSet(TST_LIST, 2, &vertices);
    host.fakeRuntime.ClearCalls();
    unsigned int const messagesBefore = host.messages.GetMessagesCount();
    tooMany->Draw();
    empty->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitiveUP("), 0u);
    EXPECT_EQ(host.messages.GetMessagesCount(), messagesBefore);
    fits->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitiveUP("), 1u);
}

TEST_F(GeometryBufferTest, ShaderReferencesFollowCopiesChangesAndDeletion)
{
    VertexBuffer vertices = MakeVertices(3);
    auto set = MakeSet(TST_LIST, 3, &vertices);
    EXPECT_EQ(host.shaders.GetOccupiedShadersDescriptorsIndicesCount(), 1u);
    ASSERT_NE(set->GetShaderDescriptor(), nullptr);
    EXPECT_EQ(set->GetShaderDescriptor(), host.shaders.GetShaderDescriptor(set->GetShaderIndex()));

    // Changing to the same descriptor never drops the shader.
    CShaderDescriptor const same(*set->GetShaderDescriptor());
    set->ChangeShader(same);
    EXPECT_EQ(host.shaders.GetOccupiedShadersDescriptorsIndicesCount(), 1u);
    EXPECT_EQ(host.shaders.GetOccupiedShadersIndicesCount(), 1u);
    ASSERT_NE(host.shaders.GetShaderDescriptor(set->GetShaderIndex()), nullptr);

    VertexBuffer otherVertices(vertices);
    auto copy = std::make_unique<TriangleSet>(*set, &otherVertices);
    EXPECT_NE(copy->GetShaderIndex(), set->GetShaderIndex());
    EXPECT_EQ(copy->GetVertexBuffer(), &otherVertices);
    EXPECT_NE(copy->GetIndexBuffer(), set->GetIndexBuffer());
    EXPECT_EQ(host.shaders.GetOccupiedShadersDescriptorsIndicesCount(), 2u);

    set.reset();
    EXPECT_EQ(host.shaders.GetOccupiedShadersDescriptorsIndicesCount(), 1u);
    EXPECT_NE(host.shaders.GetShaderDescriptor(copy->GetShaderIndex()), nullptr);
    copy.reset();
    EXPECT_EQ(host.shaders.GetOccupiedShadersDescriptorsIndicesCount(), 0u);
    EXPECT_EQ(host.shaders.GetOccupiedShadersIndicesCount(), 0u);
}
} // namespace

// --- device-kept copies -------------------------------------------------------------------

TEST_F(GeometryBufferTest, SharedVerticesAreSentOncePerChangeNotPerDraw)
{
    host.FakeDevice()->deviceBuffers = true;
    VertexBuffer vertices = MakeVertices(10);
    unsigned int const values[6] = {0, 1, 2, 2, 3, 0};
    std::unique_ptr<TriangleSet> sets[3];
    for (auto& set : sets) {
        set = MakeSet(TST_LIST, 6, &vertices);
        set->GetIndexBuffer()->CopyIndices(0, 6, values);
    }
    host.fakeRuntime.ClearCalls();
    for (auto& set : sets)
        set->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("CreateVertexBuffer(360,"), 1u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("VertexBuffer::Lock("), 1u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("IndexBuffer::Lock("), 3u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitive(4,0,10,0,2)"), 3u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitiveUP("), 0u);

    // The next frame sends nothing until the vertices are locked again.
    host.fakeRuntime.ClearCalls();
    for (auto& set : sets)
        set->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("VertexBuffer::Lock("), 0u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("IndexBuffer::Lock("), 0u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitive("), 3u);

    Vertex* changed = vertices.Lock(0, 1);
    changed->position = CVector3(7.0f, 8.0f, 9.0f);
    vertices.Unlock();
    host.fakeRuntime.ClearCalls();
    for (auto& set : sets)
        set->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("VertexBuffer::Lock(0,360,8192)"), 1u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("IndexBuffer::Lock("), 0u);

    auto const* sent = static_cast<FakeDirect3DVertexBuffer8*>(host.FakeDevice()->streamSource);
    ASSERT_NE(sent, nullptr);
    Vertex first;
    std::memcpy(&first, sent->GetData().data(), sizeof(first));
    EXPECT_EQ(first.position.z, 9.0f);
}

TEST_F(GeometryBufferTest, IndicesAreSentAgainAfterEveryKindOfChange)
{
    host.FakeDevice()->deviceBuffers = true;
    VertexBuffer vertices = MakeVertices(4);
    auto set = MakeSet(TST_LIST, 6, &vertices);
    unsigned int const values[6] = {0, 1, 2, 2, 3, 0};
    set->GetIndexBuffer()->CopyIndices(0, 6, values);
    set->Draw();

    auto indexLocksAfter = [&](auto change) {
        change();
        host.fakeRuntime.ClearCalls();
        set->Draw();
        return host.fakeRuntime.CountCalls("IndexBuffer::Lock(");
    };
    EXPECT_EQ(indexLocksAfter([] {}), 0u);
    EXPECT_EQ(indexLocksAfter([&] { set->GetIndexBuffer()->CopyIndices(0, 6, values); }), 1u);
    EXPECT_EQ(indexLocksAfter([&] { set->GetIndexBuffer()->SetSize(3); }), 1u);
    EXPECT_EQ(indexLocksAfter([&] {
                  set->GetIndexBuffer()->Lock(0, 3);
                  set->GetIndexBuffer()->Unlock();
              }),
              1u);
    // Drawn while still locked: sent now and again at the next draw.
    set->GetIndexBuffer()->Lock(0, 3);
    EXPECT_EQ(indexLocksAfter([] {}), 1u);
    set->GetIndexBuffer()->Unlock();
    EXPECT_EQ(indexLocksAfter([] {}), 1u);
    EXPECT_EQ(indexLocksAfter([] {}), 0u);
}

TEST_F(GeometryBufferTest, DevicesWithoutBuffersAreAskedOnceThenDrawnFromMemory)
{
    VertexBuffer vertices = MakeVertices(4);
    auto set = MakeSet(TST_LIST, 6, &vertices);
    host.fakeRuntime.ClearCalls();
    set->Draw();
    set->Draw();
    EXPECT_EQ(host.fakeRuntime.CountCalls("CreateVertexBuffer("), 1u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitiveUP(4,0,4,2,101,36)"), 2u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("DrawIndexedPrimitive("), 0u);
}

TEST_F(GeometryBufferTest, CopiedBuffersGetTheirOwnDeviceCopy)
{
    host.FakeDevice()->deviceBuffers = true;
    VertexBuffer vertices = MakeVertices(4);
    auto set = MakeSet(TST_LIST, 6, &vertices);
    set->Draw();
    VertexBuffer copy(vertices);
    VertexBuffer assigned = MakeVertices(4);
    assigned = vertices;
    auto copySet = MakeSet(TST_LIST, 6, &copy);
    auto assignedSet = MakeSet(TST_LIST, 6, &assigned);
    host.fakeRuntime.ClearCalls();
    set->Draw();
    copySet->Draw();
    assignedSet->Draw();
    // The original's copy is current; the copied buffers each send their own.
    EXPECT_EQ(host.fakeRuntime.CountCalls("VertexBuffer::Lock("), 2u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("CreateVertexBuffer("), 2u);
}
