#pragma once

// Work that may wait for the player: it runs when nothing else wants the processor or the disk.
namespace Background {

// Gives the calling thread the least share of the processor and the disk short of none, so that
// a window being drawn, or anything the player does, goes first. Where the system refuses, the
// thread goes on as it was.
void LowerThisThread();

} // namespace Background
