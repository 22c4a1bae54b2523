// The tests run headless: SDL's offscreen video driver (Mesa through EGL) and
// its dummy audio driver, unless the caller chose otherwise. Mesa's software
// rasteriser draws on the calling thread: many small GL tests run side by
// side, and a pool of idle raster threads per process only adds contention
// (and threads for the leak checker to stop at exit).
// ctest runs every test in a process of its own, side by side: each process
// gets a temporary folder of its own, so that tests may use fixed file names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("DELVOR_AUDIO_OUTPUT", "capture", 0); // sound without a device, one block per update
    setenv("DELVOR_TEST_DATA", DELVOR_TEST_DATA_DIR, 0);
    setenv("LP_NUM_THREADS", "0", 0);
    ::testing::InitGoogleTest(&argc, argv);
    const std::string base = ::testing::TempDir();
    std::string folder = base + "delvor-test-XXXXXX";
    const bool own = mkdtemp(folder.data()) != nullptr;
    if (own)
        setenv("TEST_TMPDIR", (folder + "/").c_str(), 1);
    const int result = RUN_ALL_TESTS();
    if (own) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return result;
}
