#include "convert/outcome.h"
