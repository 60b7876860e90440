// Writes the background the program ships: make_background <file> saves the animator's
// built-in default (what a run shows without a background file) as a background file,
// so a fresh install animates the same way and the editor has a file to start from.
#include <cstdio>

#include "animator.h"
#include "bgfile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_background <output file>\n");
        return 2;
    }
    VxAnimator animator;
    animator.SetDefaultBackground();
    if (!SaveBackground(&animator, argv[1])) {
        std::fprintf(stderr, "make_background: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    return 0;
}
