/* Says how wide a pointer is: a Windows program that runs prints 32 or 64. */
#include <stdio.h>

int main(void) {
    printf("%u\n", (unsigned)(sizeof(void*) * 8));
    return 0;
}
