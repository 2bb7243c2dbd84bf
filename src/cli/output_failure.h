#pragma once
// What veilmark-cli says when standard output cannot take what it writes.

#include <string>

namespace vm::cli {

// "could not write WHAT to standard output: REASON", the reason from err (the
// errno the failed write left); without one when err is 0.
std::string outputFailure(const std::string& what, int err);

}  // namespace vm::cli
