// JobFileWriter: cruise tables to a Version 7 job file (see job_writer.h).
#include "legacy/jobfile/job_writer.h"
