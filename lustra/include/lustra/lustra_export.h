#pragma once

// Everything the library exports carries this mark; the rest stays hidden in libLustra.so.
#define LUSTRA_API __attribute__((visibility("default")))
