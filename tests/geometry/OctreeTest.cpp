#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Frustum.h"
#include "render/Octree.h"

#include <unistd.h>

namespace
{
class OctreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory =
            std::filesystem::temp_directory_path() / ("tidewell_octree_" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        messages.Create("octree", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directory.string().c_str(), nullptr);
        frustum.Create();
        // The identity clip volume: −1 < x, y, z < 1.
        frustum.Refresh(CMatrix4x4::GetIdentity(), CMatrix4x4::GetIdentity());
    }

    void TearDown() override
    {
        files.Destroy();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    static void SetNode(COctree& tree, unsigned int index, CVector3 const& min, CVector3 const& max,
                        bool leaf, unsigned int skip, unsigned int first = 0, unsigned int count = 0)
    {
        SOctreeNode* node = tree.GetNode(index);
        node->box.Set(min, max);
        node->leaf = leaf;
        node->skip = skip;
        node->firstTriangleSet = first;
        node->triangleSetsCount = count;
    }

    // Root 0 over inner node 1 (leaves 2 and 3) and leaf 4; sets 0–1, 2–4 and 5.
    void BuildTree(COctree& tree, CVector3 const& rootMin, CVector3 const& rootMax)
    {
        tree.Create(&messages, &memory, &files, 5u);
        SetNode(tree, 0, rootMin, rootMax, false, 4);
        SetNode(tree, 1, CVector3(-0.5f), CVector3(0.5f), false, 3);
        SetNode(tree, 2, CVector3(-0.5f), CVector3(0.0f), true, 2, 0, 2);
        SetNode(tree, 3, CVector3(5.0f), CVector3(6.0f), true, 3, 2, 3);
        SetNode(tree, 4, CVector3(0.1f), CVector3(0.2f), true, 4, 5, 1);
    }

    std::vector<unsigned int> Visible(COctree const& tree)
    {
        std::vector<unsigned int> indices(16, 999);
        unsigned int count = 12345;
        tree.GetVisibleTriangleSets(&count, indices.data(), frustum);
        indices.resize(count);
        return indices;
    }

    std::string Path(char const* name) const { return (directory / name).string(); }

    void WriteFile(char const* name, std::vector<std::uint8_t> const& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::vector<std::uint8_t> ReadFile(char const* name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    bool LastErrorIs(std::string const& text)
    {
        unsigned int const count = messages.GetMessagesCount();
        return count > 0 && messages.GetMessageType(count - 1) == MT_ERROR &&
               std::string(messages.GetMessageText(count - 1)).find(text) != std::string::npos;
    }

    // A saved copy of the five-node tree.
    std::vector<std::uint8_t> SavedTree()
    {
        COctree tree;
        BuildTree(tree, CVector3(-2.0f), CVector3(2.0f));
        EXPECT_TRUE(tree.Save("tree.otf"));
        return ReadFile("tree.otf");
    }

    // Loading `bytes` fails with `error` and leaves the octree empty.
    void ExpectRejected(std::vector<std::uint8_t> const& bytes, std::string const& error)
    {
        WriteFile("bad.otf", bytes);
        COctree tree;
        messages.ClearMessagesBuffer();
        EXPECT_FALSE(tree.Create(&messages, &memory, &files, "bad.otf"));
        EXPECT_EQ(tree.GetNodesCount(), 0u);
        EXPECT_TRUE(LastErrorIs(error)) << error;
        std::vector<unsigned int> indices(4);
        unsigned int count = 7;
        tree.GetVisibleTriangleSets(&count, indices.data(), frustum);
        EXPECT_EQ(count, 0u);
    }

    std::filesystem::path directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CFrustum frustum;
};

TEST_F(OctreeTest, NewNodesAreEmptyLeavesWithIdentityMatrices)
{
    COctree tree;
    tree.Create(&messages, &memory, &files, 3u);
    EXPECT_EQ(tree.GetNodesCount(), 3u);
    EXPECT_TRUE(tree.GetNode(2)->leaf);
    EXPECT_EQ(tree.GetNode(2)->skip, 2u);
    EXPECT_EQ(tree.GetMatrix().Get(0, 3), 0.0f);
    EXPECT_EQ(tree.GetMatrix().Get(3, 3), 1.0f);
    EXPECT_TRUE(Visible(tree).empty());
}

TEST_F(OctreeTest, VisibleWalkEntersInnerNodesAndSkipsHiddenSubtrees)
{
    COctree tree;
    BuildTree(tree, CVector3(-2.0f), CVector3(2.0f));
    EXPECT_EQ(Visible(tree), (std::vector<unsigned int>{0, 1, 5}));

    // An inner node outside hides its children even where they would be visible.
    SetNode(tree, 1, CVector3(7.0f), CVector3(8.0f), false, 3);
    EXPECT_EQ(Visible(tree), (std::vector<unsigned int>{5}));

    // A root outside the frustum yields nothing.
    BuildTree(tree, CVector3(10.0f), CVector3(11.0f));
    EXPECT_TRUE(Visible(tree).empty());
}

TEST_F(OctreeTest, IntersectionWalkUsesTheGivenBox)
{
    COctree tree;
    BuildTree(tree, CVector3(-10.0f), CVector3(10.0f));
    std::vector<unsigned int> indices(16);
    unsigned int count = 0;
    tree.GetIntersectionTriangleSets(&count, indices.data(), CBoundingBox(CVector3(-0.2f), CVector3(0.15f)));
    EXPECT_EQ(std::vector<unsigned int>(indices.begin(), indices.begin() + count),
              (std::vector<unsigned int>{0, 1, 5}));
    tree.GetIntersectionTriangleSets(&count, indices.data(), CBoundingBox(CVector3(0.15f), CVector3(0.3f)));
    EXPECT_EQ(std::vector<unsigned int>(indices.begin(), indices.begin() + count),
              (std::vector<unsigned int>{5}));

    // Leaf 3 lies outside its parent's box: the walk never reaches it.
    tree.GetIntersectionTriangleSets(&count, indices.data(), CBoundingBox(CVector3(4.5f), CVector3(5.5f)));
    EXPECT_EQ(count, 0u);

    tree.GetIntersectionTriangleSets(&count, indices.data(), CBoundingBox(CVector3(20.0f), CVector3(21.0f)));
    EXPECT_EQ(count, 0u);
}

TEST_F(OctreeTest, MatricesMoveEveryBox)
{
    COctree tree;
    BuildTree(tree, CVector3(-2.0f), CVector3(2.0f));
    tree.SetMatrix(CMatrix4x4::GetTranslation(CVector3(-5.5f, -5.5f, -5.5f)));
    EXPECT_EQ(tree.GetNode(3)->box.GetPosition(), CVector3(0.0f));
    tree.SaveMatrix();
    tree.Transform(CMatrix4x4::GetTranslation(CVector3(100.0f, 0.0f, 0.0f)));
    EXPECT_EQ(tree.GetNode(3)->box.GetPosition(), CVector3(100.0f, 0.0f, 0.0f));
    EXPECT_TRUE(Visible(tree).empty());
    tree.RestoreMatrix();
    EXPECT_EQ(tree.GetNode(3)->box.GetPosition(), CVector3(0.0f));
    EXPECT_EQ(tree.GetNode(3)->box.GetLocalMinPoint(), CVector3(5.0f));

    COctree copy(tree);
    tree.SetMatrix(CMatrix4x4::GetIdentity());
    EXPECT_EQ(copy.GetNode(3)->box.GetPosition(), CVector3(0.0f));
    EXPECT_EQ(copy.GetNodesCount(), 5u);
}

TEST_F(OctreeTest, FileRoundTripKeepsEveryNodeAndWritesTheFinalSize)
{
    std::vector<std::uint8_t> const bytes = SavedTree();
    ASSERT_EQ(bytes.size(), 13u + 4u + 5u * 37u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, static_cast<int>(bytes.size()));
    EXPECT_EQ(std::memcmp(bytes.data() + 4, "TWOTF", 5), 0);
    EXPECT_EQ(bytes[9], 100);
    EXPECT_EQ(bytes[13], 5);

    COctree loaded;
    ASSERT_TRUE(loaded.Create(&messages, &memory, &files, "tree.otf"));
    ASSERT_EQ(loaded.GetNodesCount(), 5u);
    COctree original;
    BuildTree(original, CVector3(-2.0f), CVector3(2.0f));
    for (unsigned int i = 0; i < 5; ++i) {
        SOctreeNode const* a = original.GetNode(i);
        SOctreeNode const* b = loaded.GetNode(i);
        EXPECT_EQ(a->box.GetLocalMinPoint(), b->box.GetLocalMinPoint()) << i;
        EXPECT_EQ(a->box.GetLocalMaxPoint(), b->box.GetLocalMaxPoint()) << i;
        EXPECT_EQ(a->leaf, b->leaf) << i;
        EXPECT_EQ(a->skip, b->skip) << i;
        EXPECT_EQ(a->firstTriangleSet, b->firstTriangleSet) << i;
        EXPECT_EQ(a->triangleSetsCount, b->triangleSetsCount) << i;
    }
    EXPECT_EQ(Visible(loaded), (std::vector<unsigned int>{0, 1, 5}));
    EXPECT_TRUE(loaded.FitsTriangleSets(6));
    EXPECT_FALSE(loaded.FitsTriangleSets(5));

    // Saving the loaded tree writes the same bytes.
    ASSERT_TRUE(loaded.Save("again.otf"));
    EXPECT_EQ(ReadFile("again.otf"), bytes);
}

TEST_F(OctreeTest, HeaderErrors)
{
    std::vector<std::uint8_t> bytes = SavedTree();
    std::vector<std::uint8_t> magic = bytes;
    magic[8] = 'X';
    ExpectRejected(magic, "Incorrect bad.otf file format");

    std::vector<std::uint8_t> size = bytes;
    Put32(size, 0, static_cast<std::uint32_t>(bytes.size() + 1));
    ExpectRejected(size, "Incorrect bad.otf file format");

    std::vector<std::uint8_t> version = bytes;
    Put32(version, 9, 101);
    ExpectRejected(version, "Incorrect bad.otf format version, current is 100");

    std::vector<std::uint8_t> truncated(bytes.begin(), bytes.begin() + 11);
    Put32(truncated, 0, 11);
    ExpectRejected(truncated, "bad.otf");

    messages.ClearMessagesBuffer();
    COctree missing;
    EXPECT_FALSE(missing.Create(&messages, &memory, &files, "missing.otf"));
    EXPECT_TRUE(LastErrorIs("missing.otf"));
}

TEST_F(OctreeTest, HostileNodeTablesAreRejected)
{
    std::vector<std::uint8_t> const bytes = SavedTree();
    std::size_t const nodes = 17;
    auto skipAt = [&](unsigned int node) { return nodes + node * 37 + 25; };

    // More nodes than the file holds, including counts that would overflow a size computation.
    for (std::uint32_t count : {6u, 1000000u, 0x80000000u, 0xFFFFFFFFu}) {
        std::vector<std::uint8_t> lying = bytes;
        Put32(lying, 13, count);
        ExpectRejected(lying, "Incorrect bad.otf file format");
    }

    std::vector<std::uint8_t> pastEnd = bytes;
    Put32(pastEnd, skipAt(1), 5);
    ExpectRejected(pastEnd, "Incorrect bad.otf file format");

    std::vector<std::uint8_t> backwards = bytes;
    Put32(backwards, skipAt(3), 1);
    ExpectRejected(backwards, "Incorrect bad.otf file format");

    std::vector<std::uint8_t> wrapping = bytes;
    Put32(wrapping, nodes + 4 * 37 + 33, 0xFFFFFFFFu);
    ExpectRejected(wrapping, "Incorrect bad.otf file format");

    // Fewer nodes than the file holds is a sound tree of its first nodes.
    std::vector<std::uint8_t> fewer = bytes;
    Put32(fewer, 13, 1);
    Put32(fewer, skipAt(0), 0);
    WriteFile("fewer.otf", fewer);
    COctree tree;
    EXPECT_TRUE(tree.Create(&messages, &memory, &files, "fewer.otf"));
    EXPECT_EQ(tree.GetNodesCount(), 1u);
}

TEST_F(OctreeTest, LeavesMustFitTheModelsSets)
{
    COctree tree;
    BuildTree(tree, CVector3(-2.0f), CVector3(2.0f));
    EXPECT_TRUE(tree.FitsTriangleSets(6));
    SetNode(tree, 4, CVector3(0.1f), CVector3(0.2f), true, 4, 0, 6);
    EXPECT_FALSE(tree.FitsTriangleSets(6)) << "the leaves list 11 sets";
    EXPECT_TRUE(tree.FitsTriangleSets(11));
    SetNode(tree, 2, CVector3(-0.5f), CVector3(0.0f), true, 2, 10, 2);
    EXPECT_FALSE(tree.FitsTriangleSets(11)) << "set 11 is past the end";
}
} // namespace
