#include "PlanktonGlow.h"

#include "../base/LocalDay.h"
#include "PlanktonSwarm.h"
#include "model/SpriteGroup.h"

CVector3 CPlanktonGlow::GetColour(float hour)
{
    float const day = CLocalDay::GetDaylight(hour);
    CVector3 const night(NightColour[0], NightColour[1], NightColour[2]);
    return night + (CVector3(DayColour[0], DayColour[1], DayColour[2]) - night) * day;
}

void CPlanktonGlow::Apply(float hour, CPlanktonSwarm const& swarm, CSpriteGroup* group)
{
    if (!group)
        return;
    CVector3 const colour = GetColour(hour);
    for (unsigned int speck = 0; speck < swarm.GetSpecksCount(); ++speck) {
        if (SSprite* sprite = group->GetSprite(swarm.GetSpriteIndex(speck))) {
            sprite->color.x = colour.x;
            sprite->color.y = colour.y;
            sprite->color.z = colour.z;
        }
    }
}
