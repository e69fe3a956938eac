#include "app/app_state.h"

ShellState& shell()
{
    static ShellState state;
    return state;
}

int scaled(int size96)
{
    return MulDiv(size96, shell().windowDpi, 96);
}
