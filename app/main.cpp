#include "app/main/ProgramEntry.h"

int main(int argc, char* argv[])
{
    return RunTrellavox(argc, argv);
}
