// The Create command: routes the chosen file to its conversion.
#pragma once
