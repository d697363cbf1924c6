// JobKeyImporter: a key file and its job file into a new cruise file.
#include "legacy/keyfile/job_key_importer.h"
