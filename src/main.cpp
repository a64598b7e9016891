#include "app/RingletApp.h"

int main(int argc, char** argv)
{
    CRingletApp app(argc, argv);
    return app.InitInstance();
}
