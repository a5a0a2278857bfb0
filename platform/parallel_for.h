#pragma once

#include <cstddef>
#include <functional>

namespace tarnel::platform {

// Calls work(i) once for every i below count, spread over the processor's cores (the calling
// thread takes part) and returns when every call has returned. work must be safe to call from
// several threads at once and must not throw. With one core, or when no thread can be started,
// every call runs on the calling thread in order.
void parallelFor(std::size_t count, const std::function<void(std::size_t)>& work);

} // namespace tarnel::platform
