#pragma once

#include "game/core/rules.h"

// Puts a game straight into a state of play that would take many presses to
// reach; the program itself only reads the state.
class TGameSetup {
public:
    static TGameState& State(TNumGame& game) { return game.FState; }
};
