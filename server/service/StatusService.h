#pragma once

#include "ServiceObject.h"

#include <vector>

namespace corvo {
class TParamData;
}

namespace corvo::server {

/// Verify and account server, method 1: every document of the packet's `TMaster` rows (the
/// table its first field names, the rows' `ObjID`) moves from its first status to the next
/// one of its `Status<T>ID`, and is posted (changeStatus). Needs a verifying module
/// (TFrmVerify, TFrmVerifySize or TFrmVerifyMD) on the table. The packet comes back as sent.
bool verifyDocuments(ServiceCall& call, TParamData& packet);

/// Size verify server, method 1: as verifyDocuments, for the size documents' verify form;
/// their stock is posted per size.
bool verifySizeDocuments(ServiceCall& call, TParamData& packet);

/// Verify and account server, method 2: the reconciliation statement of the partner and
/// period the clause set in `TMaster` names (`TOrganID` = partner, `HappenDate` range) from
/// the valid `TAccount` entries: the opening balance first, then every entry with the balance
/// after it, in the clause set's columns of `TCheckAccount`. A partner-side module names the
/// partner in the packet's `TOwnerID` and the company as `TOrganID`. The statement is kept as
/// the partner's rows of `TCheckAccount`, replacing the ones made before.
bool accountStatement(ServiceCall& call, TParamData& packet);

/// Update server, method 3: the `TMaster` documents become invalid (`StatusID`), their
/// postings reversed when they were posted. Needs an invalidating module (TFrmInvalidate,
/// TFrmInvalidateSize or TFrmInvalidateMD) on the table.
bool invalidateDocuments(ServiceCall& call, TParamData& packet);

/// Update server, method 4: every valid product of the company with no stock anywhere (no
/// `TStock` row with a quantity other than 0) becomes invalid. Needs an invalidating module on
/// `TProduct`; a packet `TOwnerID` naming another company is refused.
bool invalidateProductsWithoutStock(ServiceCall& call, TParamData& packet);

/// Adds the methods above to their classes among `classes`.
void addStatusMethods(std::vector<ServiceClass>& classes);

} // namespace corvo::server
