// Version 7 key file export and Version 6 key file rewrite (see key_export.h).
#include "legacy/keyfile/key_export.h"
