/* Built for SSE2, so the P6 baseline check must reject it. */
#include <stdlib.h>

int main(int argc, char** argv)
{
    return atof(argv[0]) * argc > 2.5;
}
