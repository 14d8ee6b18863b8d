user_pref("mail.accountmanager.accounts", "account1,account2");
user_pref("mail.account.account1.identities", "id1");
user_pref("mail.account.account2.identities", "id2");
user_pref("mail.identity.id1.useremail", "bo@example.net");
user_pref("mail.identity.id1.smtpServer", "smtp9");
user_pref("mail.identity.id2.useremail", "cy@example.net");
user_pref("mail.identity.id2.smtpServer", "smtp1");
user_pref("mail.smtpserver.smtp1.hostname", "smtp.example.net");
