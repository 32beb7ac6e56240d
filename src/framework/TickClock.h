#pragma once

#include <QtGlobal>

#include <functional>

// Milliseconds since the boot, the time asleep included, truncated to 32 bits so that it wraps
// like the tick count idle times were always measured with. Tests replace the source.
namespace TickClock {
quint32 Now();
// Replaces the clock; an empty function restores the real one.
void SetSource(std::function<quint32()> source);
} // namespace TickClock
