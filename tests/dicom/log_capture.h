// The name the reader's tests know the recorder by.
#pragma once

#include "support/log_recorder.h"

using Log_Capture = Log_Recorder;
