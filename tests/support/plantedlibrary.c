/* A library an operator could plant in a shared folder: loaded, it leaves
   "<its own path>.loaded" beside itself. Tests name it through a settings
   value and check that nothing loaded it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>

__attribute__((constructor)) static void leaveMark(void) {
    Dl_info info;
    if (dladdr((void*)&leaveMark, &info) == 0 || info.dli_fname == NULL) {
        return;
    }
    char mark[4096];
    if (snprintf(mark, sizeof mark, "%s.loaded", info.dli_fname) >= (int)sizeof mark) {
        return;
    }
    FILE* file = fopen(mark, "w");
    if (file != NULL) {
        fclose(file);
    }
}
