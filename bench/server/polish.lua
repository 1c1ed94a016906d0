-- wrk script: POST /api/v1/polish with a short everyday text.
wrk.method = "POST"
wrk.headers["Content-Type"] = "application/json"
wrk.body = '{"text":"hey guys, basically i dont really know if we can finish teh report by friday , ' ..
           'its gonna be very tight!! Due to the fact that the server was down we should of started earlier."}'
