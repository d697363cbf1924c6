// JobKeyImporter: a key file and its job file into a new cruise file.
#pragma once
