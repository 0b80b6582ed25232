// The sign-in threads take the request's text as their own copy: the
// connection that read it may reuse its buffers before the check runs.
#include <gtest/gtest.h>

#include <future>
#include <nlohmann/json.hpp>
#include <string>

#include "FamilyStore.h"
#include "SignIns.h"
#include "support/TempDir.h"

TEST(SignIns, ARequestWaitingInTheQueueKeepsItsOwnTextWhenTheCallersBufferChanges) {
    TempDir dir;
    // Full-cost password hashing: the first check holds the only thread while
    // the second waits in the queue.
    family::FamilyStore store(dir.filePath("family.sqlite3").toStdString());
    store.addAccounts({{"mama@example.com", "Мама", "parent", "password1"}}, false);
    family::SignInOptions options;
    options.threads = 1;
    family::SignIns signIns(store, options);

    const std::string body = R"({"email":"mama@example.com","password":"password1"})";
    std::string first = body, second = body;
    std::promise<family::ApiAnswer> firstDone, secondDone;
    signIns.submit({"POST", "/api/auth/login", "", first}, "127.0.0.2",
                   [&](family::ApiAnswer answer) { firstDone.set_value(std::move(answer)); });
    signIns.submit({"POST", "/api/auth/login", "", second}, "127.0.0.2",
                   [&](family::ApiAnswer answer) { secondDone.set_value(std::move(answer)); });
    // The connection reads its next request into the same memory.
    second.assign(second.size(), '#');

    EXPECT_EQ(firstDone.get_future().get().status, 200);
    const auto answer = secondDone.get_future().get();
    EXPECT_EQ(answer.status, 200) << answer.body;
}
