// The mboxrd form of a mailbox: each message is its stored text after an
// envelope line «From ADDRESS DATE», with lines that begin with "From "
// after any number of ">" quoted by one more ">", and a blank line after it.
// Line ends are LF, as mailboxes on this system have them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pelicard {

// «From ADDRESS Www Mmm dd hh:mm:ss yyyy» + LF, the date in UTC (the day
// padded with a space, as asctime writes it). An empty address becomes
// MAILER-DAEMON; a date outside the years 1 to 9999 is brought inside.
std::string MboxFromLine(std::string_view address, std::int64_t utc);

// The text with its CR LF line ends made LF (bare CR and bare LF kept as
// they are).
void AppendLfText(std::string& out, std::string_view text);

// Appends one message: envelope line, the text with LF line ends and its
// quoted lines, a final LF when the text lacks one, then the blank line.
void AppendMboxMessage(std::string& out, std::string_view text, std::string_view address, std::int64_t utc);

}  // namespace pelicard
