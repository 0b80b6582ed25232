#include "components/SwipeGesture.h"

#include <algorithm>
#include <cstdlib>

SwipeGesture::SwipeGesture(int leadingActions, int trailingActions)
    : leading_(leadingActions), trailing_(trailingActions) {}

int SwipeGesture::offsetOf(const QString& key) const {
    if (key.isEmpty()) return 0;
    if (phase_ == Phase::swipe && key == pressKey_) return liveOffset_;
    return key == openKey_ ? openOffset_ : 0;
}

bool SwipeGesture::isFullSwipe(int offset, int cardWidth) const {
    if (offset == 0) return false;
    const int buttons = count(offset > 0 ? 1 : -1) * kActionWidth;
    return std::abs(offset) >= std::max(cardWidth / 2, buttons + 24);
}

void SwipeGesture::press(const QPoint& pos, const QString& key) {
    pressPos_ = pos;
    pressKey_ = key;
    phase_ = Phase::pending;
    startOffset_ = key == openKey_ ? openOffset_ : 0;
    liveOffset_ = startOffset_;
}

SwipeGesture::Phase SwipeGesture::move(const QPoint& pos, int cardWidth, QString* closed) {
    const QPoint delta = pos - pressPos_;
    if (phase_ == Phase::pending) {
        if (std::max(std::abs(delta.x()), std::abs(delta.y())) < kDragThreshold) return phase_;
        const bool sideways = std::abs(delta.x()) > std::abs(delta.y());
        phase_ = sideways && !pressKey_.isEmpty() ? Phase::swipe : Phase::scroll;
        if ((openKey_ != pressKey_ || phase_ == Phase::scroll) && !openKey_.isEmpty()) {
            if (closed) *closed = openKey_;
            closeOpenRow();
        }
        // The row now follows the finger; it is no longer open at rest.
        if (phase_ == Phase::swipe) closeOpenRow();
    }
    if (phase_ == Phase::swipe) {
        const int low = trailing_ > 0 ? -cardWidth : 0;
        const int high = leading_ > 0 ? cardWidth : 0;
        liveOffset_ = std::clamp(startOffset_ + delta.x(), low, high);
    }
    return phase_;
}

SwipeGesture::Release SwipeGesture::release(const QString& keyAtPos, int cardWidth) {
    const Phase phase = phase_;
    phase_ = Phase::idle;
    Release out;
    if (phase == Phase::pending) {
        if (!openKey_.isEmpty()) {
            out.kind = Release::Kind::tapWhileOpen;
            out.key = openKey_;
        } else if (!pressKey_.isEmpty() && pressKey_ == keyAtPos) {
            out.kind = Release::Kind::tap;
            out.key = pressKey_;
        }
        return out;
    }
    if (phase != Phase::swipe) return out;
    out.key = pressKey_;
    if (isFullSwipe(liveOffset_, cardWidth)) {
        out.kind = Release::Kind::fullSwipe;
        out.side = liveOffset_ > 0 ? 1 : -1;
        closeOpenRow();
        return out;
    }
    out.kind = Release::Kind::settled;
    const int leading = leading_ * kActionWidth;
    const int trailing = trailing_ * kActionWidth;
    if (leading > 0 && liveOffset_ > leading / 2) {
        openKey_ = pressKey_;
        openOffset_ = leading;
    } else if (trailing > 0 && liveOffset_ < -trailing / 2) {
        openKey_ = pressKey_;
        openOffset_ = -trailing;
    } else {
        closeOpenRow();
    }
    return out;
}

std::optional<int> SwipeGesture::buttonAt(int distance) const {
    const int side = openSide();
    if (side == 0 || distance < 0 || distance >= std::abs(openOffset_)) return std::nullopt;
    const int width = std::max(std::abs(openOffset_) / count(side), 1);
    return std::min(distance / width, count(side) - 1);
}

void SwipeGesture::closeOpenRow() {
    openKey_.clear();
    openOffset_ = 0;
}

void SwipeGesture::reset() {
    closeOpenRow();
    phase_ = Phase::idle;
}
