#include "dicom/StatusWords.h"

#include <cstdio>

namespace pelko::dicom {
namespace {

// What the user asked for, as the sentences name it.
std::string Request(Operation operation, const std::string& destination) {
    switch (operation) {
        case Operation::Find:
            return "the search";
        case Operation::Move:
            return "sending to " + destination;
        case Operation::Store:
            return "the forward request";
        case Operation::Echo:
            break;
    }
    return "the connection test";
}

std::string Code(std::uint16_t status) {
    return " (status " + StatusHex(status) + ").";
}

int Attempted(const MoveCounts& c) {
    return c.completed + c.failed + c.warning;
}

// "2 of 5 images could not be sent to DEST1"; nullopt-like "" when the
// counts say nothing went wrong.
std::string NotSent(const std::string& destination, const MoveCounts& c) {
    const int bad = c.failed + c.warning;
    if (bad == 0) return {};
    return std::to_string(bad) + " of " + std::to_string(Attempted(c)) + " images could not be sent to " +
           destination;
}

}  // namespace

std::string StatusHex(std::uint16_t status) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(status));
    return buf;
}

std::string StatusWords(Operation operation, std::uint16_t status, const std::string& destination,
                        const MoveCounts& counts) {
    const std::string request = Request(operation, destination);
    const std::string code = Code(status);
    const bool move = operation == Operation::Move;
    if (move && status == 0xA801) {
        return "The archive does not know the destination " + destination + "; its administrator must add " +
               destination + " as a move destination" + code;
    }
    if (move && status == 0xA701) {
        return "The archive is out of resources and could not work out which images to send to " +
               destination + "; try again later, or ask its administrator" + code;
    }
    if (move && status == 0xA702) {
        return "The archive is out of resources and could not send the images to " + destination +
               "; try again later, or ask its administrator" + code;
    }
    if (operation == Operation::Store && (status & 0xFF00) == 0xA700) {
        return "The archive refused to store the forward request: it is out of resources, or it stores no "
               "object without Patient ID, Study and Series Instance UID; forward mode needs an archive that "
               "stores the request as it is" +
               code;
    }
    if ((status & 0xFF00) == 0xA700) {
        return "The archive is out of resources and refused " + request +
               "; try again later, or ask its administrator" + code;
    }
    if (status == 0xA900) {
        return "The archive says the request for " + request +
               " does not match its SOP class; its administrator can find the cause in the archive's log" +
               code;
    }
    if ((status & 0xF000) == 0xC000) {
        if (move) {
            // Orthanc answers so both for a destination it does not know
            // and for a known one that does not answer its C-STORE.
            return "The archive was unable to process sending to " + destination +
                   "; the cause is in the archive's log, and common ones are an unknown destination (its "
                   "administrator must add " +
                   destination +
                   " as a move destination) and a destination that does not answer, being switched off or "
                   "set up at the archive with a wrong address or port" +
                   code;
        }
        return "The archive was unable to process " + request + "; the cause is in the archive's log" + code;
    }
    if (move && (status & 0xF000) == 0xB000) {
        const std::string notSent = NotSent(destination, counts);
        if (!notSent.empty()) return notSent + "; the archive's log says why" + code;
        return "Some images could not be sent to " + destination + "; the archive's log says why" + code;
    }
    if (status == 0xFE00) return "The archive cancelled " + request + code;
    if (operation == Operation::Store && status == 0x0122) {
        return "The archive does not store the forward request's SOP class; forward mode needs an archive "
               "that "
               "does" +
               code;
    }
    return "The archive refused " + request + code;
}

std::string SubOperationWords(const std::string& destination, const MoveCounts& counts) {
    const std::string notSent = NotSent(destination, counts);
    return (notSent.empty() ? "Some images could not be sent to " + destination : notSent) +
           "; the archive's log says why (" + std::to_string(counts.completed) + " sent, " +
           std::to_string(counts.failed) + " failed, " + std::to_string(counts.warning) + " with warnings).";
}

std::string StoreAbortedWords(const std::string& archive, const std::string& callingAet,
                              const std::string& detail) {
    return "The archive " + archive +
           " broke off the forward request instead of storing it, most likely because it does not accept "
           "stores from this workstation's AE title " +
           callingAet + "; its administrator must allow " + callingAet + " to store (" + detail + ").";
}

std::string NetworkWords(NetworkFailure failure, const std::string& archive, const std::string& detail) {
    switch (failure) {
        case NetworkFailure::Rejected:
            return "The archive " + archive +
                   " refused the association; it must know this workstation's AE title, and the settings "
                   "must "
                   "name the archive's own (" +
                   detail + ").";
        case NetworkFailure::NoAnswer:
            // Without a name when the cause names the operation and the archive.
            return (archive.empty() ? "The archive" : "The archive " + archive) +
                   " stopped answering; it may be stopped or too busy (" + detail + ").";
        case NetworkFailure::TlsRefused:
            break;
    }
    return "The TLS handshake with the archive " + archive +
           " failed; the TLS files in the settings and the archive's certificates must match (" + detail +
           ").";
}

}  // namespace pelko::dicom
