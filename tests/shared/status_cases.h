// Status replies and what they evaluate to, shared by the native tests of
// the status tables and the tests of the status object under Wine (which
// also check the English texts of the bench's resource library).
#ifndef VIX_TESTS_STATUS_CASES_H
#define VIX_TESTS_STATUS_CASES_H

#include <cstdint>
#include <ostream>
#include <string>

namespace vixtest {

constexpr std::uint32_t kChLocal = 0x00000004;
constexpr std::uint32_t kChNetStatus = 0x10000005;  // the one type-1 channel that keeps every button
constexpr std::uint32_t kChNetCmd = 0x10000003;
constexpr std::uint32_t kChTagged = 0x02000001;

// "@BDC ST\r\n" + fields + 0x0C.
inline std::string TextReply(const std::string& fields) { return "@BDC ST\r\n" + fields + "\x0C"; }

struct StatusCase {
    const char* name;
    std::uint32_t channel;
    bool hasReply;
    std::string reply;
    int forced;
    int inkColorNum;
    // What the evaluation gives.
    int statusCodeRow;  // -1: no text reply was evaluated
    int statusNo;
    int infoRow;
    int mainButton;
    int secondButton;
    // The English texts of the bench's resource library.
    const char* text;
    const char* message;
    friend void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }
};

inline StatusCase Reply(const char* name, std::uint32_t channel, const std::string& fields, int codeRow,
                        int statusNo, int infoRow, int main, int second, const char* text, const char* message,
                        int inkColorNum = 4) {
    return {name, channel, true, TextReply(fields), 0, inkColorNum, codeRow, statusNo, infoRow, main, second, text,
            message};
}

inline StatusCase Raw(const char* name, std::uint32_t channel, const std::string& bytes, int statusNo, int infoRow,
                      int main, int second, const char* text, const char* message) {
    return {name, channel, true, bytes, 0, 4, -1, statusNo, infoRow, main, second, text, message};
}

inline StatusCase Forced(const char* name, std::uint32_t channel, int forced, int infoRow, int main, int second,
                         const char* text, const char* message) {
    return {name, channel, false, std::string(), forced, 4, -1, forced, infoRow, main, second, text, message};
}

// Every StatusCode row and every StatusInfo row, reached from reply bytes
// (or a forced status number where no reply leads to the row).
inline const StatusCase* StatusCases(std::size_t* count) {
    static const StatusCase cases[] = {
        // StatusCode row 0 and StatusInfo row 24: a state without error or warning.
        Reply("ErrorStateWithoutDetail", kChNetStatus, "ST:00;", 0, 21, 24, 1601, 0, "Communication error",
              "The printer does not answer. Check the cable and the power of the printer."),
        Reply("ServiceError", kChNetStatus, "ST:00;ER:00;", 1, 14, 0, 1601, 0, "Service required",
              "The printer needs service. Turn it off and contact your dealer."),
        Reply("WarmingUp", kChNetStatus, "ST:00;ER:01;", 2, 18, 1, 1601, 0, "Printer is warming up",
              "The printer is warming up. Please wait."),
        Reply("PaperJam", kChNetStatus, "ST:00;ER:04;", 3, 6, 2, 1605, 0, "Paper jam",
              "Paper is jammed. Remove the jammed paper and press Eject Paper."),
        Reply("BothToReplace", kChNetStatus, "ST:00;ER:05;IQ:RERE;", 4, 34, 9, 1612, 0,
              "Ink cartridges to be replaced", "Replace the Black and the Color ink cartridges."),
        Reply("FirstToReplace", kChNetStatus, "ST:00;ER:05;IQ:RE50;", 5, 23, 10, 1612, 0,
              "Black cartridge to be replaced", "Replace the Black ink cartridge."),
        Reply("OtherToReplace", kChNetStatus, "ST:00;ER:05;IQ:50WE;", 6, 24, 11, 1612, 0,
              "Color cartridge to be replaced", "Replace the Color ink cartridge."),
        Reply("BothMissing", kChNetStatus, "ST:00;ER:05;IQ:NANA;", 7, 25, 6, 1612, 0, "No ink cartridges",
              "Install the Black and the Color ink cartridges."),
        Reply("FirstMissing", kChNetStatus, "ST:00;ER:05;IQ:NA50;", 8, 26, 7, 1612, 0, "Black cartridge missing",
              "Install the Black ink cartridge."),
        Reply("OtherMissing", kChNetStatus, "ST:00;ER:05;IQ:40NA30;", 9, 27, 8, 1612, 0, "Color cartridge missing",
              "Install the Color ink cartridge."),
        Reply("BothEmpty", kChNetStatus, "ST:00;ER:05;IQ:0000;", 10, 2, 3, 1612, 0, "Ink is out",
              "Black ink and Color ink are out. Replace the cartridges."),
        Reply("FirstEmptyLowerCaseTags", kChNetStatus, "st:00;er:05;IQ:003A3A;", 11, 3, 4, 1612, 0,
              "Black ink is out", "Black ink is out. Replace the cartridge."),
        Reply("OtherEmpty", kChNetStatus, "ST:00;ER:05;IQ:5000;", 12, 4, 5, 1612, 0, "Color ink is out",
              "Color ink is out. Replace the cartridge."),
        Reply("BothUnchecked", kChNetStatus, "ST:00;ER:05;IQ:CICI;", 13, 34, 9, 1612, 0,
              "Ink cartridges to be replaced", "Replace the Black and the Color ink cartridges."),
        Reply("FirstUnchecked", kChNetStatus, "ST:00;ER:05;IQ:CI50;", 14, 23, 10, 1612, 0,
              "Black cartridge to be replaced", "Replace the Black ink cartridge."),
        Reply("OtherUnchecked", kChNetStatus, "ST:00;ER:05;IQ:50CI;", 15, 24, 11, 1612, 0,
              "Color cartridge to be replaced", "Replace the Color ink cartridge."),
        Reply("PaperOut", kChNetStatus, "ST:00;ER:06;", 16, 5, 12, 1606, 1608, "Out of paper",
              "The printer is out of paper. Load paper and press Continue."),
        Reply("MaintenanceError", kChNetStatus, "ST:00;ER:10;", 17, 31, 13, 1601, 0, "Maintenance error",
              "A maintenance error occurred. Contact your dealer."),
        Reply("OtherError", kChNetStatus, "ST:00;ER:02;", 18, 9, 14, 1601, 0, "Printer error",
              "A printer error occurred. Turn the printer off and on again."),
        Reply("CartridgeState", kChNetStatus, "ST:08;IQ:3020;", 19, 19, 19, 1601, 0, "Ink cartridge error",
              "Check the Black and the Color ink cartridges."),
        Reply("FirstInkLow", kChNetStatus, "ST:04;WR:10;", 20, 12, 21, 1601, 0, "Black ink is low",
              "Black ink is low. Have a new cartridge ready."),
        Reply("ColourLow11", kChNetStatus, "ST:04;WR:11;", 21, 13, 22, 1601, 0, "Color ink is low",
              "Color ink is low. Have a new cartridge ready."),
        Reply("ColourLow12", kChNetStatus, "ST:04;WR:12;", 22, 13, 22, 1601, 0, "Color ink is low",
              "Color ink is low. Have a new cartridge ready."),
        Reply("ColourLow13", kChNetStatus, "ST:04;WR:13;", 23, 13, 22, 1601, 0, "Color ink is low",
              "Color ink is low. Have a new cartridge ready."),
        Reply("ColourLow14", kChNetStatus, "ST:04;WR:14;", 24, 13, 22, 1601, 0, "Color ink is low",
              "Color ink is low. Have a new cartridge ready."),
        Reply("ColourLow15", kChNetStatus, "ST:03;WR:15,10;", 25, 13, 22, 1601, 0, "Color ink is low",
              "Color ink is low. Have a new cartridge ready."),
        Reply("ColourLow16", kChNetStatus, "ST:04;WR:16;", 26, 13, 22, 1601, 0, "Color ink is low",
              "Color ink is low. Have a new cartridge ready."),
        Reply("Busy", kChNetStatus, "ST:01;", 27, 17, 15, 1601, 0, "Printer is busy",
              "The printer is busy. Please wait."),
        Reply("Printing02", kChNetStatus, "ST:02;", 28, 11, 16, 1600, 0, "Printing", "The printer is printing."),
        Reply("Printing03", kChNetStatus, "ST:03;", 29, 11, 16, 1600, 0, "Printing", "The printer is printing."),
        Reply("Ready", kChNetStatus, "ST:04;", 30, 1, 17, 1600, 0, "Ready", "The printer is ready to print."),
        Reply("Cleaning", kChNetStatus, "ST:07;", 31, 10, 18, 1601, 0, "Cleaning the print head",
              "The printer is cleaning its print head."),
        Reply("UnknownState", kChNetStatus, "ST:05;RV:3;TC:12AB;RC:0B;", 32, 21, 24, 1601, 0, "Communication error",
              "The printer does not answer. Check the cable and the power of the printer."),
        // WR 10,12 with four colours: both inks low, status 20.
        Reply("BothLowFourColours", kChNetStatus, "ST:04;WR:10,12;", 20, 20, 20, 1601, 0, "Ink is low",
              "Black ink and Color ink are low. Have new cartridges ready."),
        Reply("SecondCodeNotAColourOfTheModel", kChNetStatus, "ST:04;WR:10,14;", 20, 12, 21, 1601, 0,
              "Black ink is low", "Black ink is low. Have a new cartridge ready."),
        // Over a channel without commands the buttons are reduced.
        Reply("PaperJamOverCommandChannel", kChNetCmd, "ST:00;ER:04;", 3, 6, 2, 1601, 0, "Paper jam",
              "Paper is jammed. Remove the jammed paper and press Eject Paper."),
        Reply("PaperOutOverLocalChannel", kChLocal, "ST:00;ER:06;", 16, 5, 12, 1601, 0, "Out of paper",
              "The printer is out of paper. Load paper and press Continue."),
        Reply("ReadyKeepsOkOverCommandChannel", kChNetCmd, "ST:04;", 30, 1, 17, 1600, 0, "Ready",
              "The printer is ready to print."),
        // Tagged replies.
        Raw("TaggedFallsBack", kChTagged, std::string("HBM\x01\x00\xFE\x01\x0C", 8), 12, 28, 1601, 0,
            "Unknown printer status", "The printer reports a status this program does not know."),
        Raw("TaggedCommunicationError", kChTagged, std::string("hbm\xFE\x02\x16\x00\xFF", 8), 22, 27, 1601, 0,
            "Communication error", "The printer does not answer. Check the cable and the power of the printer."),
        // Forced numbers.
        Forced("OtherPrinter", kChNetStatus, 16, 23, 1601, 0, "Another printer answers",
               "Another printer model answers on this port."),
        Forced("CommunicationErrorReported", kChNetStatus, 22, 25, 1601, 0, "Communication error",
               "The printer does not answer. Check the cable and the power of the printer."),
        Forced("InitialOnTextChannelFallsBack", kChNetStatus, 1000, 26, 1601, 0, "Unknown status",
               "The printer reports an unknown status."),
        Forced("Initial", 0, 1000, 29, 1600, 0, "Checking the printer", "Checking the status of the printer..."),
        // No reply, no channel, nothing forced: the table's last row.
        {"NothingAtAll", 0, false, std::string(), 0, 4, -1, -1, 30, 1600, 0, "Communication error",
         "The printer does not answer. Check the cable and the power of the printer."},
    };
    *count = sizeof(cases) / sizeof(cases[0]);
    return cases;
}

}  // namespace vixtest

#endif
