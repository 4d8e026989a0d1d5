#pragma once

#include "convert/InputRowTexts.h"

class TCustomDecoder;

// The facts of the file the probe decoder has loaded, as the input list shows them.
TInputFacts InputFactsOf(TCustomDecoder& decoder);
