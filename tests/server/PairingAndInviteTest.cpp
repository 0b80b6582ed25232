#include <thread>

#include "ServerHarness.h"

using nlohmann::json;

namespace {
std::size_t parentsIn(const json& family) {
    std::size_t n = 0;
    for (const auto& m : family["members"]) n += m["role"] == "parent";
    return n;
}
}  // namespace

TEST_F(FamilyTest, CodesWorkForTenMinutesOnceAndOnlyTheInviteNamesFamilyParent) {
    const auto pairing = createPairing(kidToken_), invitation = createInvite(mamaToken_);
    ASSERT_EQ(pairing.status / 100, 2) << pairing.body;
    ASSERT_EQ(invitation.status / 100, 2) << invitation.body;
    EXPECT_EQ(pairing.json["expiresAt"], now_ + 600);
    EXPECT_EQ(invitation.json["expiresAt"], now_ + 600);
    EXPECT_EQ(pairing.json["qrPayload"].get<std::string>().find("family/parent"), std::string::npos);
    EXPECT_NE(invitation.json["qrPayload"].get<std::string>().find("family/parent"), std::string::npos);

    const auto early = pairingCode();
    advance(599);
    ASSERT_EQ(claimPairing(mamaToken_, early).status, 200);
    const auto used = claimPairing(papaToken_, early);
    EXPECT_EQ(used.status, 409);
    EXPECT_EQ(used.error(), "Этот код уже использован. Попросите создать новый QR-код.");

    const auto late = pairingCode();
    const auto invite = inviteCode(mamaToken_);
    advance(600);
    const auto expired = claimPairing(mamaToken_, late);
    EXPECT_EQ(expired.status, 409);
    EXPECT_EQ(expired.error(), "Срок действия кода истёк. Попросите создать новый QR-код.");
    EXPECT_EQ(claimInvite(papaToken_, invite).status, 409);
    EXPECT_EQ(parentsIn(familyOf(mamaToken_)), 1u);

    const auto forged = early.substr(0, early.find('.') + 1) + std::string(43, 'A');
    for (const std::string& unknown : {std::string("nonsense"), std::string(), forged})
        EXPECT_EQ(claimPairing(mamaToken_, unknown).status, 404) << unknown;
}

TEST_F(FamilyTest, APairingCodeIsNoInviteAndTheReverse) {
    const auto pairing = pairingCode();
    const auto asInvite = claimInvite(papaToken_, pairing);
    EXPECT_EQ(asInvite.status, 400);
    EXPECT_EQ(asInvite.error(), "Это код подключения ребёнка, а не приглашение второго родителя.");

    const auto invite = inviteCode(mamaToken_);
    const auto asPairing = claimPairing(papaToken_, invite);
    EXPECT_EQ(asPairing.status, 400);
    EXPECT_NE(asPairing.error().find("приглашение второго родителя"), std::string::npos);

    // A wrong-kind attempt spends neither code.
    EXPECT_EQ(claimPairing(mamaToken_, pairing).status, 200);
    EXPECT_EQ(claimInvite(papaToken_, invite).status, 200);
}

TEST_F(FamilyTest, TheSecondParentJoinsAndSeesTheFamilysTasksButNoThirdParentMay) {
    pair(mamaToken_, kidToken_);
    const auto taskId = addTask(mamaToken_, kid_.id);
    const auto spareInvite = inviteCode(mamaToken_);
    const auto joined = claimInvite(papaToken_, inviteCode(mamaToken_));
    ASSERT_EQ(joined.status, 200) << joined.body;
    EXPECT_TRUE(joined.json.is_object());
    const auto papaView = familyOf(papaToken_);
    EXPECT_EQ(papaView["members"].size(), 3u);
    EXPECT_EQ(taskIn(papaView, taskId)["required_approvals"], 2);

    const auto third = claimInvite(tokenFor(addAccount("aunt@example.com", "Тётя", "parent")), spareInvite);
    EXPECT_EQ(third.status, 409);
    EXPECT_EQ(third.error(), "В семье уже два родителя.");
    EXPECT_EQ(createInvite(papaToken_).status, 409);
    EXPECT_EQ(parentsIn(familyOf(mamaToken_)), 2u);
}

TEST_F(FamilyTest, NobodyIsPulledOutOfAFamilyTheyAlreadyBelongTo) {
    ASSERT_EQ(claimPairing(mamaToken_, pairingCode()).status, 200);
    const auto stolen = claimPairing(papaToken_, pairingCode());
    EXPECT_EQ(stolen.status, 409);
    EXPECT_EQ(stolen.error(), "Ребёнок уже состоит в другой семье.");

    pair(papaToken_, tokenFor(addAccount("other@example.com", "Другой", "child")));
    EXPECT_EQ(claimInvite(papaToken_, inviteCode(mamaToken_)).status, 409) << "papa has a family of his own";
    EXPECT_EQ(claimInvite(mamaToken_, inviteCode(mamaToken_)).status, 409) << "mama is in it already";
    EXPECT_EQ(familyOf(kidToken_)["members"].size(), 2u);
}

TEST_F(FamilyTest, AFamilyMadeOnlyForPreferencesIsLeftWhenJoining) {
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"EUR","language":"de"})", kidToken_).status,
              200);
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"EUR","language":"de"})", papaToken_).status,
              200);
    ASSERT_EQ(claimPairing(mamaToken_, pairingCode()).status, 200);
    joinAsSecondParent();
    EXPECT_EQ(familyOf(papaToken_)["members"].size(), 3u);
}

TEST_F(FamilyTest, AClaimReadsTheTokenWithoutBlanksAroundItAndOutOfAPayloadOfOurs) {
    const auto payload = createPairing(kidToken_).json["qrPayload"].get<std::string>();
    const auto pasted = claimPairing(mamaToken_, " " + payload + "\n");
    EXPECT_EQ(pasted.status, 200) << pasted.body;
    const auto invite = inviteCode(mamaToken_);
    const auto joined = claimInvite(papaToken_, "\t" + invite + "\r\n");
    EXPECT_EQ(joined.status, 200) << joined.body;
    EXPECT_EQ(claimPairing(mamaToken_, "zanbeck://pair?token= ").status, 404);
}

// A claim refused after it has already marked the code used and made the
// claimer a family leaves neither behind: the refusal undoes its own part.
TEST_F(FamilyTest, AClaimRefusedHalfWayLeavesTheCodeUnusedAndNoFamilyMade) {
    pair(mamaToken_, kidToken_);
    const auto code = pairingCode();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto refused = claimPairing(papaToken_, code);
        EXPECT_EQ(refused.status, 409);
        EXPECT_EQ(refused.error(), "Ребёнок уже состоит в другой семье.") << "attempt " << attempt;
    }
    EXPECT_EQ(familyOf(papaToken_)["members"].size(), 1u);
    EXPECT_EQ(claimPairing(mamaToken_, code).status, 200);
}

// A double tap on "add to family" sends the same claim twice, the second
// maybe while the first is still under way: both get the first answer and
// the family is as one claim left it. Anyone outside that family gets 409.
TEST_F(FamilyTest, AClaimRepeatedByTheFamilyThatMadeItGetsTheFirstAnswerAndNobodyElseDoes) {
    const auto code = pairingCode();
    const auto first = claimPairing(mamaToken_, code);
    ASSERT_EQ(first.status, 200) << first.body;
    ASSERT_EQ(first.json["member"]["id"], kid_.id);
    const auto family = familyOf(mamaToken_);
    for (const auto& presented : {code, " zanbeck://pair?token=" + code + "\n"}) {
        const auto again = claimPairing(mamaToken_, presented);
        EXPECT_EQ(again.status, 200) << again.body;
        EXPECT_EQ(again.json, first.json);
    }
    EXPECT_EQ(familyOf(mamaToken_), family);

    const auto stranger = claimPairing(papaToken_, code);
    EXPECT_EQ(stranger.status, 409);
    EXPECT_EQ(stranger.error(), "Этот код уже использован. Попросите создать новый QR-код.");
    EXPECT_EQ(familyOf(papaToken_)["members"].size(), 1u);

    const auto second = addAccount("second@example.com", "Второй", "child");
    const auto racing = pairingCodeOf(tokenFor(second));
    Answer taps[2];
    {
        std::thread other([&] {
            taps[1] = ApiClient("127.0.0.1", port_)
                          .post("/api/pairing/claim", json{{"token", racing}}.dump(), mamaToken_);
        });
        taps[0] = ApiClient("127.0.0.1", port_)
                      .post("/api/pairing/claim", json{{"token", racing}}.dump(), mamaToken_);
        other.join();
    }
    for (const auto& tap : taps) {
        EXPECT_EQ(tap.status, 200) << tap.body;
        EXPECT_EQ(tap.json["member"]["id"], second.id);
    }
    EXPECT_EQ(familyOf(mamaToken_)["members"].size(), 3u);
    EXPECT_EQ(claimPairing(papaToken_, racing).status, 409);
}
