// GMime, the MIME library the attachment module parses complete messages
// with, is set up once for the whole process before its first use.
#pragma once

namespace pelicard {

void EnsureGMime();

}  // namespace pelicard
