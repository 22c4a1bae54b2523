// The tests run headless: SDL's offscreen video driver (Mesa through EGL) and
// its dummy audio driver, unless the caller chose otherwise. Mesa's software
// rasteriser draws on the calling thread: many small GL tests run side by
// side, and a pool of idle raster threads per process only adds contention
// (and threads for the leak checker to stop at exit).
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("DELVOR_AUDIO_OUTPUT", "capture", 0); // sound without a device, one block per update
    setenv("DELVOR_TEST_DATA", DELVOR_TEST_DATA_DIR, 0);
    setenv("LP_NUM_THREADS", "0", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
