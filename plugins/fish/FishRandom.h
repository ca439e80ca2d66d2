#pragma once

#include "../base/LcgRandom.h"

// The school's generator.
class CFishRandom : public CLcgRandom
{
public:
    using CLcgRandom::CLcgRandom;
};
