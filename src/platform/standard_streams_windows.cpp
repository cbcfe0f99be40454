#include "platform/standard_streams.h"

namespace platform {

void keepStandardStreamsOpen() {}

QuietStandardStreams::QuietStandardStreams() = default;
QuietStandardStreams::~QuietStandardStreams() = default;

} // namespace platform
