// The main of the widget test programs below the forms.
#include "platform/tests/WidgetTests.h"

int main(int argc, char** argv)
{
    return corvo::test::runWidgetTests(argc, argv);
}
