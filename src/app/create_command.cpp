// The Create command: routes the chosen file to its conversion.
#include "app/create_command.h"
