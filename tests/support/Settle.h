#pragma once

// Runs the event loop until the shown windows stop moving: deferred deletes,
// layouts and the scroll ranges they set. A page lays itself out over several
// rounds (content that grows brings a scroll bar, which narrows the rows,
// which measure again), and how many depends on what arrived together, so a
// fixed number of rounds is not enough.
void settleUntilStill();
