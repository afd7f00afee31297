// Storage for the process-wide state record.
#include "state/BackdropState.h"

BackdropState gState;
