#include "app/app_state.h"

#include "common/dpi_scale.h"

ShellState& shell()
{
    static ShellState state;
    return state;
}

int scaled(int size96)
{
    return scaledAt(size96, shell().windowDpi);
}
