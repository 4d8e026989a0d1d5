#pragma once

// Priority of a worker or conversion thread; the engine and the HTTP component share it.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
