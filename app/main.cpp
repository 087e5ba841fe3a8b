// varno-orvel-80: the program a user starts.

#include "app/program.h"

int main(int argc, char** argv)
{
    return orvel::app::RunProgram(argc, argv);
}
