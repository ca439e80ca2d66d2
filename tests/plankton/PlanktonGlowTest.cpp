#include <gtest/gtest.h>

#include "../../plugins/plankton/PlanktonGlow.h"

namespace
{

TEST(PlanktonGlowTest, SpecksGlowFaintBlueGreenAtNightAndWhiteByDay)
{
    CVector3 const night = CPlanktonGlow::GetColour(3.0f);
    CVector3 const noon = CPlanktonGlow::GetColour(12.0f);
    EXPECT_EQ(noon, CVector3(1.0f, 1.0f, 1.0f));
    EXPECT_LT(night.x + night.y + night.z, 0.7f * (noon.x + noon.y + noon.z));
    EXPECT_GT(night.y, night.x + 0.3f);
    EXPECT_GT(night.z, night.x + 0.3f);
    // Dusk is on its way from one to the other.
    CVector3 const dusk = CPlanktonGlow::GetColour(19.75f);
    EXPECT_LT(dusk.x, noon.x);
    EXPECT_GT(dusk.x, night.x);
}

} // namespace
