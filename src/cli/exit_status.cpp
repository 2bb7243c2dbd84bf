#include "cli/exit_status.h"

#include <optional>

#include "engine/hide_reveal.h"
#include "engine/sealed_field.h"

namespace vm::cli {

Failure stopped(ExitStatus status, std::string why) {
    return failure(std::move(why), status);
}

int exitStatusFor(const Failure& why) {
    if (const std::optional<ExitStatus> status = why.kind.as<ExitStatus>()) return *status;
    if (why.kind.as<Refusal>()) return kRefused;
    if (const std::optional<SealProblem> problem = why.kind.as<SealProblem>())
        return *problem == SealProblem::NoMemory ? kFileError
               : *problem == SealProblem::NotOpened || *problem == SealProblem::NewerFormat
                   ? kNothingFound
                   : kRefused;
    return kFileError;
}

}  // namespace vm::cli
