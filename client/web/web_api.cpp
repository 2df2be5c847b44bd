#include "web_api.h"
