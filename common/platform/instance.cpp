#include "instance.h"

HINSTANCE ProgramInstance;
