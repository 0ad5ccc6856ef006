#include "ui/KiroConvApp.h"

wxIMPLEMENT_APP(kiro::CKiroConvApp);
