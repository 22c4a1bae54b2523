// Draws N moving, alpha-blended sprites from one atlas per frame, once
// through the engine's frame pipeline (the tick, purge and render tasks over
// the game tree, the drawing context and the OpenGL renderer) and once
// through SDL's own 2D renderer on its OpenGL back end, and reports how many
// sprites each draws at 60 frames per second, and how much of the main
// thread's CPU time each sprite takes.
//
// Both draw into an 800 x 600 window (the game's size) and wait for the GL
// to finish every frame. Under SDL's offscreen driver, which main picks
// unless SDL_VIDEODRIVER says otherwise, that is Mesa's software
// rasteriser. Its thread count is fixed when the GL starts, so the
// comparison runs twice in child processes of this program: with
// LP_NUM_THREADS=2 on two cores, as on a small machine, and with every
// core and a thread each. SPRITE_BENCH_FRAMES sets the frames of each of
// the three timed runs per measurement (default 30), SPRITE_BENCH_ROUNDS
// the rounds of the search for the 60 fps counts (default 2);
// SPRITE_BENCH_COMPARE=0 leaves the comparison out, for profiling the
// benchmarks alone.
#include <GL/gl.h>
#include <SDL.h>
#include <sched.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/Renderer.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskRender.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "engine/sprite/iRenderable.h"
#include "platform/GlWindow.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFrameSize = 32;  // sprites are 32 x 32 frames of a 4 x 4 atlas
constexpr int kColumns = 4;
constexpr int kFrames = 16;
constexpr int kAtlasSize = kFrameSize * kColumns;
constexpr int kAlpha = 200;
constexpr uint32_t kClearColor = 0xFF203040;
constexpr double kFrameBudgetMs = 1000.0 / 60.0;
// Sprites drawn while the main thread's CPU time is taken.
constexpr int kCpuSampleSprites = 8000;
// Set in the child processes; says which comparison to run.
constexpr const char* kChildVariable = "SPRITE_BENCH_CHILD";

int TimedFrames() {
    const char* text = std::getenv("SPRITE_BENCH_FRAMES");
    const int frames = text ? std::atoi(text) : 30;
    return frames > 0 ? frames : 30;
}

int Rounds() {
    const char* text = std::getenv("SPRITE_BENCH_ROUNDS");
    const int rounds = text ? std::atoi(text) : 2;
    return rounds > 0 ? rounds : 2;
}

// Soft discs, a different colour in every frame: every pixel blends.
std::vector<uint32_t> AtlasPixels() {
    std::vector<uint32_t> pixels(kAtlasSize * kAtlasSize);
    for (int f = 0; f < kFrames; ++f) {
        const uint32_t rgb = 0x404040u + (static_cast<uint32_t>(f) * 0x2F1B0Du & 0xBFBFBFu);
        const int ox = (f % kColumns) * kFrameSize;
        const int oy = (f / kColumns) * kFrameSize;
        for (int y = 0; y < kFrameSize; ++y) {
            for (int x = 0; x < kFrameSize; ++x) {
                const double d = std::hypot(x - 15.5, y - 15.5);
                const double a = d < 16.0 ? 255.0 * (1.0 - d / 16.0 * 0.7) : 0.0;
                pixels[(oy + y) * kAtlasSize + ox + x] = static_cast<uint32_t>(a) << 24 | rgb;
            }
        }
    }
    return pixels;
}

// Where each sprite starts and how fast it moves, the same for both paths.
struct Mover {
    float x, y, vx, vy;
    int frame;

    static Mover Make(int i) {
        uint32_t h = static_cast<uint32_t>(i) * 2654435761u;
        auto next = [&h]() {
            h ^= h << 13;
            h ^= h >> 17;
            h ^= h << 5;
            return static_cast<float>(h % 10000) / 10000.0f;
        };
        return Mover{next() * (kWidth - kFrameSize), next() * (kHeight - kFrameSize), (next() - 0.5f) * 0.4f,
                     (next() - 0.5f) * 0.4f, i % kFrames};
    }

    // A long first step must not throw sprites off screen, where they
    // would cost nothing to draw.
    void Step(int ms) {
        ms = std::clamp(ms, 0, 100);
        x = std::clamp(x + vx * ms, 0.0f, static_cast<float>(kWidth - kFrameSize));
        y = std::clamp(y + vy * ms, 0.0f, static_cast<float>(kHeight - kFrameSize));
        if ((x <= 0.0f && vx < 0.0f) || (x >= kWidth - kFrameSize && vx > 0.0f))
            vx = -vx;
        if ((y <= 0.0f && vy < 0.0f) || (y >= kHeight - kFrameSize && vy > 0.0f))
            vy = -vy;
    }
};

// ---- the engine

class MovingSprite : public ZQ2::Sprite {
public:
    MovingSprite(ZQ2::Image* atlas, int i) : Sprite(0.0f, 0.0f, atlas), m_Mover(Mover::Make(i)) {
        SetCurrentFrame(m_Mover.frame);
        SetAlpha(kAlpha);
        SetLocation(m_Mover.x, m_Mover.y);
    }
    void Tick(int ms) override {
        m_Mover.Step(ms);
        SetLocation(m_Mover.x, m_Mover.y);
    }

private:
    Mover m_Mover;
};

// Clears the target, as SDL_RenderClear does on the other side.
class ClearNode : public ZQ2::GameNode, public ZQ2::iRenderable {
public:
    ClearNode() : GameNode("clear") {}
    void* QueryInterface(const ZQ2::RTTI& which) override {
        return &which == &ZQ2::iRenderable::rtti ? static_cast<ZQ2::iRenderable*>(this) : nullptr;
    }
    ZQ2::BaseObject* QueryBaseObject() override { return this; }
    const ZQ2::RTTI& GetRTTI() const override { return GameNode::GetRTTI(); }
    void Render(ZQ2::Graphics* graphics) override {
        graphics->ResetSettings();
        graphics->SetColor(kClearColor & 0xFFFFFF);
        graphics->Clear();
    }
};

class EngineScene {
public:
    EngineScene() {
        if (!ZQ2::GameWindow::CreateInstance("Sprite bench", kWidth, kHeight, false, true, 0, nullptr))
            return;
        ZQ2::Renderer::CreateInstance();
        ZQ2::Renderer::g_Instance->SetVertexCapacity(65536);
        if (ZQ2::Renderer::g_Instance->Initialize(kWidth, kHeight) != ZQ2::RENDERERROR_NONE)
            return;
        m_pAtlas = ZQ2::Renderer::g_Instance->CreateImageManaged(kAtlasSize, kAtlasSize, kFrames, kColumns);
        if (!m_pAtlas || !m_pAtlas->Lock(false))
            return;
        const std::vector<uint32_t> pixels = AtlasPixels();
        ZQ2::ImageData* data = m_pAtlas->GetFrame()->GetImageData();
        for (int y = 0; y < kAtlasSize; ++y)
            std::memcpy(data->GetPixelData<uint32_t>(0, y), &pixels[y * kAtlasSize], kAtlasSize * 4);
        m_pAtlas->Unlock();

        m_pTree = new ZQ2::GameTree();
        m_pClear = ZQ2::GameTree::LinkNodeUnder(m_pTree, new ClearNode());
        m_pLast = m_pClear;
        m_pTasks = new ZQ2::TaskManager();
        m_pTasks->Attach(new ZQ2::TaskTickUpdate(m_pTree, nullptr));
        m_pTasks->Attach(new ZQ2::TaskPurge(m_pTree, nullptr));
        m_pTasks->Attach(new ZQ2::TaskRender(m_pTree));
        m_bReady = true;
    }

    ~EngineScene() {
        m_pTasks = nullptr;
        m_pTree = nullptr;
        m_pAtlas = nullptr;
        ZQ2::Renderer::RemoveInstance();
        ZQ2::GameWindow::RemoveInstance();
    }

    bool IsReady() const { return m_bReady; }

    // The shared buffers hold one frame's quads: 65,536 vertices and 1.5
    // indices per vertex, never filled to the last index.
    static int Capacity() { return 65536 / 4 - 1; }

    // Adds sprites, or marks the last ones obsolete for the purge task.
    void SetCount(int count) {
        while (static_cast<int>(m_Sprites.size()) < count) {
            auto* sprite = new MovingSprite(m_pAtlas, static_cast<int>(m_Sprites.size()));
            // Linked behind the last one: appending would walk the whole list.
            m_pLast = ZQ2::GameTree::LinkNodeAfter(m_pLast, sprite);
            m_Sprites.push_back(sprite);
        }
        while (static_cast<int>(m_Sprites.size()) > count) {
            m_Sprites.back()->SetObsolete(true);
            m_Sprites.pop_back();
            m_pLast = m_Sprites.empty() ? m_pClear : m_Sprites.back();
        }
    }

    void Frame() {
        m_pTasks->Update();
        glFinish();
    }

private:
    bool m_bReady = false;
    ZQ2::SmartPtr<ZQ2::Image> m_pAtlas;
    ZQ2::SmartPtr<ZQ2::GameTree> m_pTree;
    ZQ2::SmartPtr<ZQ2::TaskManager> m_pTasks;
    std::vector<MovingSprite*> m_Sprites;  // owned by the tree
    ZQ2::GameNode* m_pClear = nullptr;     // the tree's first child
    ZQ2::GameNode* m_pLast = nullptr;      // the tree's last child
};

// ---- SDL's renderer

class SdlScene {
public:
    SdlScene() {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
        // Naming a driver turns SDL's batching off unless asked for: ask,
        // so that SDL is measured at its best.
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        // The engine's textures filter linearly; SDL's default is nearest.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return;
        // The same context and frame buffer as the game window's.
        platform::GlWindow::SetContextAttributes();
        m_pWindow = SDL_CreateWindow("SDL sprite bench", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth,
                                     kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!m_pWindow)
            return;
        m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, SDL_RENDERER_ACCELERATED);
        SDL_RendererInfo info{};
        if (!m_pRenderer || SDL_GetRendererInfo(m_pRenderer, &info) != 0 || std::strcmp(info.name, "opengl") != 0)
            return;
        m_pTexture = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, kAtlasSize,
                                       kAtlasSize);
        if (!m_pTexture)
            return;
        const std::vector<uint32_t> pixels = AtlasPixels();
        SDL_UpdateTexture(m_pTexture, nullptr, pixels.data(), kAtlasSize * 4);
        SDL_SetTextureBlendMode(m_pTexture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureAlphaMod(m_pTexture, kAlpha);
        m_nLastTicks = SDL_GetTicks();
        m_bReady = true;
    }

    ~SdlScene() {
        if (m_pTexture)
            SDL_DestroyTexture(m_pTexture);
        if (m_pRenderer)
            SDL_DestroyRenderer(m_pRenderer);
        if (m_pWindow)
            SDL_DestroyWindow(m_pWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool IsReady() const { return m_bReady; }

    void SetCount(int count) {
        while (static_cast<int>(m_Movers.size()) < count)
            m_Movers.push_back(Mover::Make(static_cast<int>(m_Movers.size())));
        m_Movers.resize(count);
    }

    void Frame() {
        const uint32_t now = SDL_GetTicks();
        const int step = static_cast<int>(now - m_nLastTicks);
        m_nLastTicks = now;
        SDL_SetRenderDrawColor(m_pRenderer, 0x20, 0x30, 0x40, 0xFF);
        SDL_RenderClear(m_pRenderer);
        for (Mover& m : m_Movers) {
            m.Step(step);
            const SDL_Rect source{(m.frame % kColumns) * kFrameSize, (m.frame / kColumns) * kFrameSize, kFrameSize,
                                  kFrameSize};
            const SDL_FRect target{m.x, m.y, static_cast<float>(kFrameSize), static_cast<float>(kFrameSize)};
            SDL_RenderCopyF(m_pRenderer, m_pTexture, &source, &target);
        }
        SDL_RenderPresent(m_pRenderer);
        glFinish();
    }

private:
    bool m_bReady = false;
    SDL_Window* m_pWindow = nullptr;
    SDL_Renderer* m_pRenderer = nullptr;
    SDL_Texture* m_pTexture = nullptr;
    std::vector<Mover> m_Movers;
    uint32_t m_nLastTicks = 0;
};

// ---- measuring

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1.0e6;
}

// The main thread's CPU time per sprite in microseconds, the best of three
// runs: the thread's own work and the GL driver's work on it, not the
// rasteriser threads'.
template <class Scene>
double MainThreadUsPerSprite(Scene& scene, int count, int frames) {
    scene.SetCount(count);
    // The first frames of a process's first SDL scene cost many times
    // the later ones: they are left out.
    for (int i = 0; i < 30; ++i)
        scene.Frame();
    double best = 0.0;
    for (int run = 0; run < 3; ++run) {
        const double start = ThreadCpuMs();
        for (int i = 0; i < frames; ++i)
            scene.Frame();
        const double us = (ThreadCpuMs() - start) * 1000.0 / frames / count;
        if (run == 0 || us < best)
            best = us;
    }
    return best;
}

// The best of three runs of frames frames: other work on the machine only
// ever slows a run down, so the fastest is the closest to what the
// pipeline itself needs.
template <class Scene>
double AverageFrameMs(Scene& scene, int count, int frames) {
    scene.SetCount(count);
    for (int i = 0; i < 5; ++i)
        scene.Frame();
    double best = 0.0;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i)
            scene.Frame();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        const double ms = elapsed.count() / frames;
        if (run == 0 || ms < best)
            best = ms;
    }
    return best;
}

// The largest count (within about 2 %) whose average frame fits in 1/60 s,
// at most limit.
template <class Scene>
int SpritesAt60Fps(Scene& scene, int limit) {
    const int frames = TimedFrames();
    auto fits = [&](int n) { return AverageFrameMs(scene, n, frames) <= kFrameBudgetMs; };
    int good = 0;
    int bad = limit;
    for (int n = 256;; n *= 2) {
        if (n >= limit) {
            if (fits(limit))
                return limit;
            break;
        }
        if (!fits(n)) {
            bad = n;
            break;
        }
        good = n;
    }
    while (bad - good > std::max(16, good / 50)) {
        const int mid = (good + bad) / 2;
        if (fits(mid))
            good = mid;
        else
            bad = mid;
    }
    return good;
}

template <class Scene>
void RunFrames(benchmark::State& state) {
    Scene scene;
    if (!scene.IsReady()) {
        state.SkipWithError("could not set up the scene");
        return;
    }
    scene.SetCount(static_cast<int>(state.range(0)));
    for (int i = 0; i < 5; ++i)
        scene.Frame();
    const double cpuStart = ThreadCpuMs();
    for (auto _ : state)
        scene.Frame();
    const double cpuMs = ThreadCpuMs() - cpuStart;
    state.counters["main_us_per_sprite"] =
        cpuMs * 1000.0 / static_cast<double>(state.iterations()) / static_cast<double>(state.range(0));
    state.counters["sprites_per_s"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_EngineFrame(benchmark::State& state) { RunFrames<EngineScene>(state); }
void BM_SdlOpenGLFrame(benchmark::State& state) { RunFrames<SdlScene>(state); }

BENCHMARK(BM_EngineFrame)->Arg(1000)->Arg(4000)->Arg(8000)->Arg(16000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SdlOpenGLFrame)->Arg(1000)->Arg(4000)->Arg(8000)->Arg(16000)->Unit(benchmark::kMillisecond)->UseRealTime();

// What one child process measured.
struct Comparison {
    double engineUs = -1.0;
    double sdlUs = -1.0;
    int engineSprites = -1;
    int sdlSprites = -1;
};

// Searches alternate between the two, and each keeps its best round, so
// that a burst of other work on the machine does not decide the result.
Comparison Compare() {
    Comparison c;
    const int frames = TimedFrames();
    for (int round = 0; round < Rounds(); ++round) {
        {
            EngineScene scene;
            if (scene.IsReady()) {
                const double us = MainThreadUsPerSprite(scene, kCpuSampleSprites, frames);
                c.engineUs = c.engineUs < 0.0 ? us : std::min(c.engineUs, us);
                c.engineSprites = std::max(c.engineSprites, SpritesAt60Fps(scene, EngineScene::Capacity()));
            }
        }
        {
            SdlScene scene;
            if (scene.IsReady()) {
                const double us = MainThreadUsPerSprite(scene, kCpuSampleSprites, frames);
                c.sdlUs = c.sdlUs < 0.0 ? us : std::min(c.sdlUs, us);
                c.sdlSprites = std::max(c.sdlSprites, SpritesAt60Fps(scene, 1 << 20));
            }
        }
    }
    return c;
}

int AllowedCpuCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return std::max(1, CPU_COUNT(&set));
}

// The first cores of those this process may use.
void KeepCores(int cores) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return;
    cpu_set_t kept;
    CPU_ZERO(&kept);
    for (int cpu = 0; cpu < CPU_SETSIZE && CPU_COUNT(&kept) < cores; ++cpu) {
        if (CPU_ISSET(cpu, &allowed))
            CPU_SET(cpu, &kept);
    }
    sched_setaffinity(0, sizeof kept, &kept);
}

// Runs this program again on cores cores with as many rasteriser threads,
// and reads back the line its Compare printed.
bool RunChild(int cores, Comparison& out) {
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        KeepCores(cores);
        const std::string threads = std::to_string(cores);
        setenv("LP_NUM_THREADS", threads.c_str(), 1);
        setenv(kChildVariable, "1", 1);
        execl("/proc/self/exe", "sprite_bench", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    return std::sscanf(text.c_str(), "%lf %lf %d %d", &out.engineUs, &out.sdlUs, &out.engineSprites,
                       &out.sdlSprites) == 4;
}

void PrintComparison(int threads, const Comparison& c) {
    const bool full = c.engineSprites == EngineScene::Capacity();
    std::printf("  %d rasteriser threads on %d cores:\n", threads, threads);
    std::printf("    main thread CPU per sprite:  engine %.3f us, SDL %.3f us (engine/SDL %.2f)\n", c.engineUs,
                c.sdlUs, c.sdlUs > 0.0 ? c.engineUs / c.sdlUs : 0.0);
    std::printf("    sprites at 60 fps:           engine %d%s, SDL %d (engine/SDL %.2f)\n", c.engineSprites,
                full ? " (the frame's vertex buffer is full)" : "", c.sdlSprites,
                c.sdlSprites > 0 ? static_cast<double>(c.engineSprites) / c.sdlSprites : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (std::getenv(kChildVariable)) {
        const Comparison c = Compare();
        std::printf("%.4f %.4f %d %d\n", c.engineUs, c.sdlUs, c.engineSprites, c.sdlSprites);
        return c.engineUs < 0.0 || c.sdlUs < 0.0 ? 1 : 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::fflush(stdout);
    const char* compare = std::getenv("SPRITE_BENCH_COMPARE");
    if (compare && std::strcmp(compare, "0") == 0)
        return 0;

    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    std::printf("\nSprites (%dx%d, blended, moving), %dx%d window, driver %s; CPU time at %d sprites:\n",
                kFrameSize, kFrameSize, kWidth, kHeight, driver ? driver : "default", kCpuSampleSprites);
    std::fflush(stdout);
    bool ok = true;
    const int all = AllowedCpuCount();
    for (int threads : {std::min(2, all), all}) {
        Comparison c;
        if (!RunChild(threads, c)) {
            std::printf("  %d rasteriser threads: the measurement failed\n", threads);
            ok = false;
            continue;
        }
        PrintComparison(threads, c);
        std::fflush(stdout);
        if (threads == all)
            break;
    }
    return ok ? 0 : 1;
}
