#include "render/effects.h"
