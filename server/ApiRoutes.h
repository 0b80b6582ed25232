#pragma once

#include <string>
#include <string_view>

namespace family {

class FamilyStore;

// One request as the protocol sees it, already read in full and within the
// size limits; the HTTP layer owns everything about the connection.
struct ApiRequest {
    std::string_view method;         // "GET", "POST", "PATCH", ...
    std::string_view target;         // path, possibly with a query
    std::string_view authorization;  // the Authorization header, or empty
    std::string_view body;
    std::string_view idempotencyKey = {};  // the Idempotency-Key header, or empty
};

// A request's text copied out of the connection, for work that runs on
// another thread: the connection's buffers may be reused before it runs.
struct OwnedApiRequest {
    explicit OwnedApiRequest(const ApiRequest& request)
        : method(request.method),
          target(request.target),
          authorization(request.authorization),
          body(request.body),
          idempotencyKey(request.idempotencyKey) {}
    ApiRequest view() const { return {method, target, authorization, body, idempotencyKey}; }

    std::string method, target, authorization, body, idempotencyKey;
};

// A status and its JSON body, ready to send with the JSON content type.
struct ApiAnswer {
    int status = 200;
    std::string body;
    int retryAfterSeconds = 0;  // sent as Retry-After when positive (429, 503)
};

// Answers one request of the family protocol from the store. Never throws:
// refusals and internal failures become a JSON {"error"} with their status.
ApiAnswer answerApiRequest(FamilyStore& store, const ApiRequest& request);

// A JSON {"error": message} answer, for refusals the HTTP layer makes itself.
ApiAnswer errorAnswer(int status, const std::string& message);

}  // namespace family
