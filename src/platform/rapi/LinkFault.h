#pragma once

namespace kiro::rapi {

// Why the handheld could not be reached or was lost, for callers that word their own
// advice. Not part of the published remote API.
enum class LinkFault {
    None,
    NothingAnswers,  // no handheld listens at the socket
    NoAnswerInTime,  // a handheld took the connection but did not greet in time
    Refused,         // refused: busy, another version, permission, another user's
    Malformed,       // a reply that cannot be decoded; the connection was closed
    Lost,            // closed, reset or silent while connected
    NotInstalled,    // Windows: the remote API library is missing or incomplete
};

}  // namespace kiro::rapi
