// The HTTP and JSON built-ins: http_get and http_post_string start asynchronous requests whose
// result map the asynchronous event 62 reads; json_decode and json_encode convert between JSON
// text and maps and lists. Registered right after the file family.
#pragma once

void Function_Http_Init();
