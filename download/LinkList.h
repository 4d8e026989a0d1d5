#pragma once

#include "download/VideoService.h"

#include <string>
#include <string_view>
#include <vector>

// The rules of the link page: which pasted text is a video link, how pasted text splits
// into lines, and what a rejected line tells the user.

// The text, lower-cased, contains "http" and the service's domain.
bool IsVideoLink(const std::string& text, const TVideoService& service);

// Lines of pasted text: CR, LF and NUL end a line, empty lines are dropped, and a line
// break between a pair of matching quotes (single or double) stays in the line with
// the quotes. A quote without its partner is an ordinary character.
std::vector<std::string> SplitPastedText(const std::string& text);

enum class TLinkVerdict { Add, NotVideoLink, AlreadyListed };

// Whether text joins a list holding listed; a listing that differs only by letter case
// is another link.
TLinkVerdict CheckNewLink(const std::vector<std::string>& listed, const std::string& text,
                          const TVideoService& service);

// Why a line was rejected ("This is not a YouTube video link."); empty for Add.
std::string_view LinkVerdictText(TLinkVerdict verdict);

// The message box text for a rejected line: the line, "\n\r\n\r" and the reason.
std::string LinkRejectionText(const std::string& text, TLinkVerdict verdict);
