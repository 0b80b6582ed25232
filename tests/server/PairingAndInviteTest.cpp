#include "ServerHarness.h"

using nlohmann::json;

class PairingAndInvite : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        mama_ = addAccount("mama@example.com", "Мама", "parent");
        papa_ = addAccount("papa@example.com", "Папа", "parent");
        kid_ = addAccount("kid@example.com", "Coder", "child");
        mamaToken_ = tokenFor(mama_);
        papaToken_ = tokenFor(papa_);
        kidToken_ = tokenFor(kid_);
    }
    Answer createPairing(const std::string& token) { return api_->post("/api/pairing/create", "{}", token); }
    Answer createInvite(const std::string& token) {
        return api_->post("/api/family/parent-invite", R"({"action":"create"})", token);
    }
    Answer claimPairing(const std::string& token, const std::string& code) {
        return api_->post("/api/pairing/claim", json{{"token", code}}.dump(), token);
    }
    Answer claimInvite(const std::string& token, const std::string& code) {
        return api_->post("/api/family/parent-invite", json{{"action", "claim"}, {"token", code}}.dump(), token);
    }
    std::string pairingCode() { return tokenOf(createPairing(kidToken_).json["qrPayload"]); }
    std::string inviteCode(const std::string& token) { return tokenOf(createInvite(token).json["qrPayload"]); }
    std::size_t parentsSeenBy(const std::string& token) {
        std::size_t n = 0;
        const auto family = familyOf(token);
        for (const auto& m : family["members"]) n += m["role"] == "parent";
        return n;
    }

    family::Account mama_, papa_, kid_;
    std::string mamaToken_, papaToken_, kidToken_;
};

TEST_F(PairingAndInvite, PayloadsCarryATokenAndOnlyTheInviteNamesFamilyParent) {
    const auto pairing = createPairing(kidToken_);
    ASSERT_EQ(pairing.status / 100, 2) << pairing.body;
    const auto payload = pairing.json["qrPayload"].get<std::string>();
    EXPECT_NE(payload.find("?token="), std::string::npos);
    EXPECT_EQ(payload.find("family/parent"), std::string::npos);
    EXPECT_TRUE(pairing.json["expiresAt"].is_number_integer());
    EXPECT_EQ(pairing.json["expiresAt"], now_ + 600);

    const auto invite = createInvite(mamaToken_);
    ASSERT_EQ(invite.status / 100, 2) << invite.body;
    const auto invitePayload = invite.json["qrPayload"].get<std::string>();
    EXPECT_NE(invitePayload.find("family/parent"), std::string::npos);
    EXPECT_NE(invitePayload.find("?token="), std::string::npos);
    EXPECT_EQ(invite.json["expiresAt"], now_ + 600);
}

TEST_F(PairingAndInvite, ClaimingAChildsCodeBringsTheChildIntoTheParentsFamily) {
    const auto answer = claimPairing(mamaToken_, pairingCode());
    ASSERT_EQ(answer.status, 200) << answer.body;
    const auto members = familyOf(mamaToken_)["members"];
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[1]["id"], kid_.id);
    EXPECT_EQ(familyOf(kidToken_)["members"], members);
}

TEST_F(PairingAndInvite, EachSideMayOnlyTakeItsOwnPart) {
    EXPECT_EQ(createPairing(mamaToken_).status, 403);
    EXPECT_EQ(claimPairing(kidToken_, pairingCode()).status, 403);
    EXPECT_EQ(createInvite(kidToken_).status, 403);
    const auto childClaim = claimInvite(kidToken_, inviteCode(mamaToken_));
    EXPECT_EQ(childClaim.status, 403);
    EXPECT_FALSE(childClaim.error().empty());
}

TEST_F(PairingAndInvite, CodesWorkForTenMinutesOnly) {
    const auto early = pairingCode();
    advance(599);
    EXPECT_EQ(claimPairing(mamaToken_, early).status, 200);

    const auto late = pairingCode();
    const auto invite = inviteCode(mamaToken_);
    advance(600);
    const auto expired = claimPairing(mamaToken_, late);
    EXPECT_EQ(expired.status, 409);
    EXPECT_EQ(expired.error(), "Срок действия кода истёк. Попросите создать новый QR-код.");
    EXPECT_EQ(claimInvite(papaToken_, invite).status, 409);
    EXPECT_EQ(parentsSeenBy(mamaToken_), 1u);
}

TEST_F(PairingAndInvite, ACodeIsUsedOnceAndUnknownCodesAreNotFound) {
    const auto code = pairingCode();
    ASSERT_EQ(claimPairing(mamaToken_, code).status, 200);
    EXPECT_EQ(claimPairing(mamaToken_, code).status, 409);
    EXPECT_EQ(claimPairing(mamaToken_, "nonsense").status, 404);
    EXPECT_EQ(claimPairing(mamaToken_, "").status, 404);
    const auto forged = code.substr(0, code.find('.') + 1) + std::string(43, 'A');
    EXPECT_EQ(claimPairing(mamaToken_, forged).status, 404);
    EXPECT_EQ(api_->post("/api/pairing/claim", "{}", mamaToken_).status, 400);
}

TEST_F(PairingAndInvite, APairingCodeIsNoInviteAndTheReverse) {
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

TEST_F(PairingAndInvite, TheSecondParentJoinsAndSeesTheFamilysTasks) {
    ASSERT_EQ(claimPairing(mamaToken_, pairingCode()).status, 200);
    const auto taskId = addTask(mamaToken_, kid_.id);
    const auto joined = claimInvite(papaToken_, inviteCode(mamaToken_));
    ASSERT_EQ(joined.status, 200) << joined.body;
    EXPECT_TRUE(joined.json.is_object());
    EXPECT_EQ(parentsSeenBy(mamaToken_), 2u);
    const auto papaView = familyOf(papaToken_);
    EXPECT_EQ(papaView["members"].size(), 3u);
    EXPECT_EQ(taskIn(papaView, taskId)["required_approvals"], 2);
}

TEST_F(PairingAndInvite, AThirdParentIsRefused) {
    const auto aunt = addAccount("aunt@example.com", "Тётя", "parent");
    const auto firstInvite = inviteCode(mamaToken_);
    const auto secondInvite = inviteCode(mamaToken_);
    ASSERT_EQ(claimInvite(papaToken_, firstInvite).status, 200);

    const auto third = claimInvite(tokenFor(aunt), secondInvite);
    EXPECT_EQ(third.status, 409);
    EXPECT_EQ(third.error(), "В семье уже два родителя.");
    EXPECT_EQ(createInvite(papaToken_).status, 409);
    EXPECT_EQ(parentsSeenBy(mamaToken_), 2u);
}

TEST_F(PairingAndInvite, NobodyIsPulledOutOfAFamilyTheyAlreadyBelongTo) {
    ASSERT_EQ(claimPairing(mamaToken_, pairingCode()).status, 200);
    const auto stolen = claimPairing(papaToken_, pairingCode());
    EXPECT_EQ(stolen.status, 409);
    EXPECT_EQ(stolen.error(), "Ребёнок уже состоит в другой семье.");

    const auto other = addAccount("other@example.com", "Другой", "child");
    ASSERT_EQ(claimPairing(papaToken_, tokenOf(createPairing(tokenFor(other)).json["qrPayload"])).status, 200);
    EXPECT_EQ(claimInvite(papaToken_, inviteCode(mamaToken_)).status, 409);
    EXPECT_EQ(claimInvite(mamaToken_, inviteCode(mamaToken_)).status, 409);
    EXPECT_EQ(familyOf(kidToken_)["members"].size(), 2u);
}

TEST_F(PairingAndInvite, AFamilyMadeOnlyForPreferencesIsLeftWhenJoining) {
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"EUR","language":"de"})", kidToken_).status, 200);
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"EUR","language":"de"})", papaToken_).status, 200);
    ASSERT_EQ(claimPairing(mamaToken_, pairingCode()).status, 200);
    ASSERT_EQ(claimInvite(papaToken_, inviteCode(mamaToken_)).status, 200);
    EXPECT_EQ(familyOf(papaToken_)["members"].size(), 3u);
}

TEST_F(PairingAndInvite, AnInviteActionOtherThanCreateOrClaimIs400) {
    EXPECT_EQ(api_->post("/api/family/parent-invite", R"({"action":"delete"})", mamaToken_).status, 400);
    EXPECT_EQ(api_->post("/api/family/parent-invite", R"({})", mamaToken_).status, 400);
    EXPECT_EQ(api_->post("/api/family/parent-invite", R"({"action":"claim"})", papaToken_).status, 400);
}
