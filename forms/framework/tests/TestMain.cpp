// The main of the form test programs: the login session ends with the program.
#include "forms/framework/tests/LoginSession.h"
#include "platform/tests/WidgetTests.h"

int main(int argc, char** argv)
{
    return corvo::test::runWidgetTests(argc, argv, &corvo::forms::test::LoginSession::shutdown);
}
