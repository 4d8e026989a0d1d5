#pragma once

#include "frontend/WizardWidgets.h"

class TFormMain;

// The widgets of the wizard's pages, one named group per page. The pages themselves (and
// the mode images and the finish titles) are the main window's; these are placed on
// them. Contents that the conversion and download pages fill in later start here as
// bare named widgets.
struct TWizardPages {
    TModePageWidgets Mode;                       // TabSheetMode
    TInputPageWidgets Input;                     // TabSheetStep1
    TFormatPageWidgets Format;                   // TabSheetStep2
    TConversionPageWidgets Conversion;           // TabSheetStep3
    TConversionSummaryWidgets ConversionSummary; // TabSheetStep4
    TLinkPageWidgets Links;                      // TabSheetStep5
    TDownloadPageWidgets Download;               // TabSheetStep6
    TDownloadSummaryWidgets DownloadSummary;     // TabSheetStep7
};

// Creates the page widgets on the main window's pages.
TWizardPages BuildWizardPages(TFormMain& form);
