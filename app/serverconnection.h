#pragma once
// The start-up server check as the operator sees it: the store-access code
// (db/storedb.h) opens and reports nothing; this tells the operator.

// OpenStoreDb on StoreDb with the server settings of StationConfig. On
// failure shows "서버 연결 실패" (settings values that cannot go into the
// connection string: StoreSettingsProblem's text; any other error: its
// description) through ShowMessage, modal, and returns false.
bool CheckServerConnection();
