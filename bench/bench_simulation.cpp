// Per-frame simulation of the running aquarium, piece by piece: each plug-in's Refresh (fish
// school, plankton, starfish, tank), every model's refresh (skinning, morph blending, boxes)
// and the sprite groups' rebuild. The aquarium is started once as the screen saver (it needs
// a display) and run a few frames before measuring.
#include <benchmark/benchmark.h>

#include "AquariumApp.h"
#include "Lagoonix.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "model/SpriteGroupManager.h"

#include <cstdio>
#include <string>

namespace
{
CAquariumApp* g_application = nullptr;

void RefreshPlugin(benchmark::State& state)
{
    CEngine* engine = g_application->GetEngine();
    CLagoonix* plugin = g_application->GetPlugins()->GetInstance(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        engine->GetTimerManager()->Refresh();
        plugin->Refresh();
    }
}

void RefreshModels(benchmark::State& state)
{
    CModelManager* models = g_application->GetEngine()->GetModelManager();
    unsigned int count = 0;
    for (auto _ : state) {
        count = 0;
        for (unsigned int i = 0; i < models->GetOccupiedModelsIndicesCount(); ++i) {
            CModel* model = models->GetModel(models->GetOccupiedModelIndex(i));
            if (!model->IsVisible())
                continue;
            model->Refresh(true);
            ++count;
        }
    }
    state.counters["models"] = count;
}

void RefreshSpriteGroups(benchmark::State& state)
{
    CSpriteGroupManager* sprites = g_application->GetEngine()->GetSpriteGroupManager();
    for (auto _ : state)
        sprites->Refresh();
    state.counters["groups"] = sprites->GetOccupiedSpriteGroupsIndicesCount();
}

void RefreshAllPlugins(benchmark::State& state)
{
    CEngine* engine = g_application->GetEngine();
    for (auto _ : state) {
        engine->GetTimerManager()->Refresh();
        g_application->GetPlugins()->RefreshAll();
    }
}
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CAquariumApp application;
    if (!application.StartUp(RUN_SCREENSAVER, nullptr)) {
        std::fprintf(stderr, "bench_simulation: the aquarium did not start\n");
        return 1;
    }
    g_application = &application;
    for (int frame = 0; frame < 30; ++frame) {
        application.GetEngine()->BeginFrame();
        application.GetPlugins()->RefreshAll();
        application.GetEngine()->FinishFrame();
    }
    CPluginTable* plugins = application.GetPlugins();
    for (int i = 0; i < plugins->GetCount(); ++i) {
        std::string name = std::string("RefreshPlugin/") + plugins->GetInstance(i)->GetFirstText();
        benchmark::RegisterBenchmark(name.c_str(), RefreshPlugin)->Arg(i);
    }
    benchmark::RegisterBenchmark("RefreshAllPlugins", RefreshAllPlugins);
    benchmark::RegisterBenchmark("RefreshModels", RefreshModels);
    benchmark::RegisterBenchmark("RefreshSpriteGroups", RefreshSpriteGroups);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    application.Shutdown();
    return 0;
}
