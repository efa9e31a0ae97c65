// Whether Wine starts a Windows program of this build's width here: run_wine_tests.sh runs it
// under a time-out before choosing which build's tests to run. It says what it is and ends.
#include <cstdio>

int main() {
    std::printf("a %d-bit Windows program runs\n", static_cast<int>(sizeof(void*) * 8));
    return 0;
}
