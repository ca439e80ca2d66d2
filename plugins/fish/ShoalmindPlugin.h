#pragma once

#include "FishSchool.h"
#include "Lagoonix.h"

class CEngine;

// Shoalmind: the fish school plug-in. It wires the school to the engine's clock.
class CGameShoalmindPlugin : public CLagoonix
{
public:
    static constexpr int Priority = 0;
    static constexpr int Type = 2;
    static constexpr int Version = 100;
    static constexpr char const* Description = "Shoalmind Plugin v1.0";

    CGameShoalmindPlugin() = default;
    ~CGameShoalmindPlugin() override;

    void Create(CEngine* engine, CCamera* camera) override;
    void Destroy() override;
    void Refresh() override;

    CFishSchool* GetSchool() { return &m_school; }

private:
    CEngine* m_engine = nullptr;
    CFishSchool m_school;
};
