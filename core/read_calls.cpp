#include "core/read_calls.h"

#include <unistd.h>

namespace quillmere {

ReadCalls readCalls{::read};

}  // namespace quillmere
