#include "misc.h"
#include "startup.h"

int xMain(int32_t, char**) {
    LogMessage(LOG_INIT, "Entering xMain\n");
    return 1;
}
