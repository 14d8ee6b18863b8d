// Mozilla User Preferences
user_pref("mail.accountmanager.accounts", "account1");
user_pref("mail.account.account1.identities", "id1");
user_pref("mail.identity.id1.useremail", "old@example.org");
