// The archive as the search and the send reach it: the association
// parameters from the settings record. One place, so that every operation
// towards the archive gets the same parameters.
#pragma once

#include "config/AppSettings.h"
#include "dicom/AssociationParameters.h"

namespace pelko::query {

inline dicom::AssociationParameters ArchivePeer(const config::AppSettings& record) {
    dicom::AssociationParameters peer;
    peer.host = record.QueryIP;
    peer.port = record.QueryPort;
    peer.calledAET = record.QueryAET;
    peer.callingAET = record.LocalAET;
    peer.timeouts.searchSeconds = record.SearchTimeoutSeconds;
    peer.tls.enabled = record.QueryTls;
    peer.tls.certificateFile = record.QueryTlsCertificate;
    peer.tls.privateKeyFile = record.QueryTlsPrivateKey;
    peer.tls.trustedCertificatesFile = record.QueryTlsTrustedCertificates;
    return peer;
}

}  // namespace pelko::query
