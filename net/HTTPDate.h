#pragma once

#include "net/WinHTTPTypes.h"

#include <string>

// A header date in any of the three HTTP forms, as a local date-time; 0 when absent or bad.
TDateTime HTTPDateToLocal(const std::string& text);
