#pragma once

class Tavelond;

// Runs a game in the page: the browser calls back once per displayed frame,
// a Pacer decides whether the game steps in it, and the page
// (src/web/shell.html) is told of every step with the script time it took.
namespace webloop {

// Starts the frames and returns at once; the browser drives them from then
// on. When the player quits, `ended` is called (it may destroy the game)
// and the page is told.
void start(Tavelond& game, void (*ended)());

}  // namespace webloop
