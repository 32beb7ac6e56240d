#pragma once

#include "AccountList.h"
#include "AccountRecords.h"

// The content of one passwords document: one account list per kind.
struct AccountStore {
    AccountList<WebAccount> web;
    AccountList<MailAccount> mail;
    AccountList<OtherAccount> other;
};
