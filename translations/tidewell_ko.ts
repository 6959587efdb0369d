<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>Texts</name>
    <message>
        <source>Windows socket inintialization failed.</source>
        <comment>104</comment>
        <translation>윈도우 소켓을 초기화하지 못했습니다.</translation>
    </message>
    <message>
        <source>Tidewell 0.6</source>
        <comment>128</comment>
        <translation>Tidewell 0.6</translation>
    </message>
    <message>
        <source>Cannot change the directory
</source>
        <comment>129</comment>
        <translation>디렉터리를 변경할 수 없습니다
</translation>
    </message>
    <message>
        <source>Change</source>
        <comment>131</comment>
        <translation>이동</translation>
    </message>
    <message>
        <source>Name</source>
        <comment>132</comment>
        <translation>이름</translation>
    </message>
    <message>
        <source>Size</source>
        <comment>133</comment>
        <translation>크기</translation>
    </message>
    <message>
        <source>Date/Time</source>
        <comment>134</comment>
        <translation>날짜/시간</translation>
    </message>
    <message>
        <source>Attribute</source>
        <comment>135</comment>
        <translation>속성</translation>
    </message>
    <message>
        <source>Browse</source>
        <comment>136</comment>
        <translation>찾아보기</translation>
    </message>
    <message>
        <source>Delete</source>
        <comment>137</comment>
        <translation>삭제</translation>
    </message>
    <message>
        <source>Do you want to delete the selected item(s) ?</source>
        <comment>138</comment>
        <translation>선택한 항목을 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Destination</source>
        <comment>140</comment>
        <translation>대상 폴더</translation>
    </message>
    <message>
        <source>Status</source>
        <comment>141</comment>
        <translation>상태</translation>
    </message>
    <message>
        <source>Directory not cached.
</source>
        <comment>143</comment>
        <translation>캐시에 없는 디렉터리입니다.
</translation>
    </message>
    <message>
        <source>Current job is not finished yet.
</source>
        <comment>144</comment>
        <translation>현재 작업이 아직 끝나지 않았습니다.
</translation>
    </message>
    <message>
        <source>Connecting to %s...
</source>
        <comment>145</comment>
        <translation>%s에 접속 중...
</translation>
    </message>
    <message>
        <source>Can&apos;t connect
</source>
        <comment>146</comment>
        <translation>접속할 수 없습니다
</translation>
    </message>
    <message>
        <source>Connected to %s (ip=%s) port %u
</source>
        <comment>147</comment>
        <translation>%s (ip=%s) 포트 %u에 접속되었습니다
</translation>
    </message>
    <message>
        <source>Transfer completed
</source>
        <comment>149</comment>
        <translation>전송이 끝났습니다
</translation>
    </message>
    <message>
        <source>Starting to download %s
</source>
        <comment>150</comment>
        <translation>%s 다운로드를 시작합니다
</translation>
    </message>
    <message>
        <source>Cannot create local file
</source>
        <comment>152</comment>
        <translation>로컬 파일을 만들 수 없습니다
</translation>
    </message>
    <message>
        <source>Download completed
</source>
        <comment>155</comment>
        <translation>다운로드가 끝났습니다
</translation>
    </message>
    <message>
        <source>Starting to upload %s
</source>
        <comment>156</comment>
        <translation>%s 업로드를 시작합니다
</translation>
    </message>
    <message>
        <source>Cannot open local file
</source>
        <comment>157</comment>
        <translation>로컬 파일을 열 수 없습니다
</translation>
    </message>
    <message>
        <source>Upload error
</source>
        <comment>159</comment>
        <translation>업로드 오류
</translation>
    </message>
    <message>
        <source>Upload completed
</source>
        <comment>160</comment>
        <translation>업로드가 끝났습니다
</translation>
    </message>
    <message>
        <source>Reading cached directory (%s)
</source>
        <comment>161</comment>
        <translation>캐시된 디렉터리를 읽는 중 (%s)
</translation>
    </message>
    <message>
        <source>Disconnected
</source>
        <comment>162</comment>
        <translation>접속이 끊어졌습니다
</translation>
    </message>
    <message>
        <source>Operation canceled
</source>
        <comment>163</comment>
        <translation>작업이 취소되었습니다
</translation>
    </message>
    <message>
        <source>Delaying for %d seconds before reconnect...
</source>
        <comment>164</comment>
        <translation>%d초 후에 다시 접속합니다...
</translation>
    </message>
    <message>
        <source>Reconnecting (%d/%d)...
</source>
        <comment>165</comment>
        <translation>다시 접속하는 중 (%d/%d)...
</translation>
    </message>
    <message>
        <source>All %d retries failed... Cannot connect to %s
</source>
        <comment>166</comment>
        <translation>%d번의 재시도가 모두 실패했습니다... %s에 접속할 수 없습니다
</translation>
    </message>
    <message>
        <source>Waiting for login...
</source>
        <comment>167</comment>
        <translation>로그인을 기다리는 중...
</translation>
    </message>
    <message>
        <source>Login failed
</source>
        <comment>168</comment>
        <translation>로그인에 실패했습니다
</translation>
    </message>
    <message>
        <source>Host not found
</source>
        <comment>169</comment>
        <translation>호스트를 찾을 수 없습니다
</translation>
    </message>
    <message>
        <source>Cannot create socket
</source>
        <comment>170</comment>
        <translation>소켓을 만들 수 없습니다
</translation>
    </message>
    <message>
        <source>Connection closed...
</source>
        <comment>171</comment>
        <translation>연결이 닫혔습니다...
</translation>
    </message>
    <message>
        <source>Not connected
</source>
        <comment>172</comment>
        <translation>접속되어 있지 않습니다
</translation>
    </message>
    <message>
        <source>Socket data send error
</source>
        <comment>173</comment>
        <translation>소켓 데이터 전송 오류
</translation>
    </message>
    <message>
        <source>Invalid control socket
</source>
        <comment>174</comment>
        <translation>제어 소켓이 올바르지 않습니다
</translation>
    </message>
    <message>
        <source>This site does not support resuming
</source>
        <comment>175</comment>
        <translation>이 사이트는 이어올리기를 지원하지 않습니다
</translation>
    </message>
    <message>
        <source>This site does not support resuming
</source>
        <comment>176</comment>
        <translation>이 사이트는 이어받기를 지원하지 않습니다
</translation>
    </message>
    <message>
        <source>You have no permission to dowload
</source>
        <comment>177</comment>
        <translation>다운로드 권한이 없습니다
</translation>
    </message>
    <message>
        <source>%ld bytes uploaded, %.2f seconds, (%3.2fKB/s)
</source>
        <comment>178</comment>
        <translation>%ld 바이트 업로드, %.2f초, (%3.2fKB/s)
</translation>
    </message>
    <message>
        <source>%ld bytes uploaded, %ld seconds, (%ld bps)
</source>
        <comment>179</comment>
        <translation>%ld 바이트 업로드, %ld초, (%ld bps)
</translation>
    </message>
    <message>
        <source>%ld bytes downloaded, %.2f seconds, (%3.2fKB/s)
</source>
        <comment>180</comment>
        <translation>%ld 바이트 다운로드, %.2f초, (%3.2fKB/s)
</translation>
    </message>
    <message>
        <source>%ld bytes downloaded, %ld seconds, (%ld bps)
</source>
        <comment>181</comment>
        <translation>%ld 바이트 다운로드, %ld초, (%ld bps)
</translation>
    </message>
    <message>
        <source>Preferences</source>
        <comment>182</comment>
        <translation>환경 설정</translation>
    </message>
    <message>
        <source>Cannot save to file</source>
        <comment>183</comment>
        <translation>파일에 저장할 수 없습니다</translation>
    </message>
    <message>
        <source>File transfer is processing. Abort transfer ?</source>
        <comment>184</comment>
        <translation>파일을 전송하는 중입니다. 전송을 중단하시겠습니까?</translation>
    </message>
    <message>
        <source>Renaming %s --&gt; %s
</source>
        <comment>185</comment>
        <translation>이름 바꾸는 중 %s --&gt; %s
</translation>
    </message>
    <message>
        <source>Rename failed
</source>
        <comment>186</comment>
        <translation>이름을 바꾸지 못했습니다
</translation>
    </message>
    <message>
        <source>Deleting %s
</source>
        <comment>187</comment>
        <translation>%s 삭제 중
</translation>
    </message>
    <message>
        <source>Delete failed
</source>
        <comment>188</comment>
        <translation>삭제하지 못했습니다
</translation>
    </message>
    <message>
        <source>Creating new folder %s
</source>
        <comment>189</comment>
        <translation>새 폴더 %s 만드는 중
</translation>
    </message>
    <message>
        <source>Creating new folder failed
</source>
        <comment>190</comment>
        <translation>새 폴더를 만들지 못했습니다
</translation>
    </message>
    <message>
        <source>Unknown data file.</source>
        <comment>191</comment>
        <translation>알 수 없는 데이터 파일입니다.</translation>
    </message>
    <message>
        <source>Moving %s --&gt; %s
</source>
        <comment>194</comment>
        <translation>이동 중 %s --&gt; %s
</translation>
    </message>
    <message>
        <source>Cannot conect to the homepage.</source>
        <comment>195</comment>
        <translation>홈페이지에 접속할 수 없습니다.</translation>
    </message>
    <message>
        <source>There is no upgraded version.</source>
        <comment>196</comment>
        <translation>새 버전이 없습니다.</translation>
    </message>
    <message>
        <source>Can&apos;t connect using passive mode.
</source>
        <comment>197</comment>
        <translation>패시브 모드로 접속할 수 없습니다.
</translation>
    </message>
    <message>
        <source>Delete folder selected and all items included?</source>
        <comment>198</comment>
        <translation>선택한 폴더와 그 안의 모든 항목을 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Connection refused
</source>
        <comment>199</comment>
        <translation>연결이 거부되었습니다
</translation>
    </message>
    <message>
        <source>The remote address or port is not valid
</source>
        <comment>200</comment>
        <translation>원격 주소나 포트가 올바르지 않습니다
</translation>
    </message>
    <message>
        <source>Cannot write to the local file: %s
</source>
        <comment>201</comment>
        <translation>로컬 파일에 쓸 수 없습니다: %s
</translation>
    </message>
    <message>
        <source>Passive address %s replaced by the server&apos;s address %s
</source>
        <comment>202</comment>
        <translation>패시브 모드 주소 %s 대신 서버 주소 %s를 사용합니다
</translation>
    </message>
    <message>
        <source>The server did not open the data connection
</source>
        <comment>203</comment>
        <translation>서버가 데이터 연결을 열지 않았습니다
</translation>
    </message>
    <message>
        <source>The data connection closed after %ld of %ld bytes
</source>
        <comment>204</comment>
        <translation>데이터 연결이 %ld / %ld 바이트에서 끊어졌습니다
</translation>
    </message>
    <message>
        <source>The download address is not a web address and was not opened: %s
</source>
        <comment>205</comment>
        <translation>다운로드 주소가 웹 주소가 아니어서 열지 않았습니다: %s
</translation>
    </message>
    <message>
        <source>Cannot fetch the version file: %s
</source>
        <comment>206</comment>
        <translation>버전 파일을 가져올 수 없습니다: %s
</translation>
    </message>
    <message>
        <source>The homepage answered with HTTP status %d instead of the version file
</source>
        <comment>207</comment>
        <translation>홈페이지가 버전 파일 대신 HTTP 상태 %d(으)로 응답했습니다
</translation>
    </message>
    <message>
        <source>The version file is larger than %d bytes
</source>
        <comment>208</comment>
        <translation>버전 파일이 %d바이트보다 큽니다
</translation>
    </message>
    <message>
        <source>The homepage did not answer within %d seconds
</source>
        <comment>209</comment>
        <translation>홈페이지가 %d초 안에 응답하지 않았습니다
</translation>
    </message>
    <message>
        <source>The version file is not text
</source>
        <comment>210</comment>
        <translation>버전 파일이 텍스트가 아닙니다
</translation>
    </message>
    <message>
        <source>The version file names no version and no release date
</source>
        <comment>211</comment>
        <translation>버전 파일에 버전도 출시일도 없습니다
</translation>
    </message>
    <message>
        <source>The address of the version file is not a web address: %s
</source>
        <comment>212</comment>
        <translation>버전 파일의 주소가 웹 주소가 아닙니다: %s
</translation>
    </message>
    <message>
        <source>The server closed the connection
</source>
        <comment>230</comment>
        <translation>서버가 연결을 끊었습니다
</translation>
    </message>
    <message>
        <source>The server&apos;s reply was cut after %d lines; the connection is closed
</source>
        <comment>231</comment>
        <translation>서버의 응답이 %d줄에서 잘렸습니다. 연결을 닫습니다
</translation>
    </message>
    <message>
        <source>The server sent a line that is not an FTP reply; the connection is closed
</source>
        <comment>232</comment>
        <translation>서버가 FTP 응답이 아닌 줄을 보냈습니다. 연결을 닫습니다
</translation>
    </message>
    <message>
        <source>The listing was cut after %ld lines (%ld bytes)
</source>
        <comment>233</comment>
        <translation>목록이 %ld줄(%ld바이트)에서 잘렸습니다
</translation>
    </message>
    <message>
        <source>The server ended the session (421)
</source>
        <comment>234</comment>
        <translation>서버가 세션을 끝냈습니다(421)
</translation>
    </message>
    <message>
        <source>The name %s holds a path separator and was not sent
</source>
        <comment>240</comment>
        <translation>이름 %s에 경로 구분 문자가 있어 보내지 않았습니다
</translation>
    </message>
    <message>
        <source>A name or command with a control character (such as a line break) was not sent
</source>
        <comment>241</comment>
        <translation>제어 문자(줄 바꿈 등)가 들어 있는 이름이나 명령은 보내지 않았습니다
</translation>
    </message>
    <message>
        <source>Cannot remove the folder %s; deleting the folder tree stopped there
</source>
        <comment>242</comment>
        <translation>폴더 %s을(를) 지울 수 없어 폴더 트리 삭제를 멈췄습니다
</translation>
    </message>
    <message>
        <source>Deleting the folder tree stopped at %s
</source>
        <comment>243</comment>
        <translation>폴더 트리 삭제가 %s에서 멈췄습니다
</translation>
    </message>
    <message>
        <source>%s is not a plain name; the folder tree delete left it alone
</source>
        <comment>244</comment>
        <translation>%s은(는) 일반 이름이 아니어서 폴더 트리 삭제에서 건너뛰었습니다
</translation>
    </message>
    <message>
        <source>The folder tree is deeper than %d levels; deleting stopped at %s
</source>
        <comment>245</comment>
        <translation>폴더 트리가 %d 단계보다 깊어 %s에서 삭제를 멈췄습니다
</translation>
    </message>
    <message>
        <source>The name %s cannot be written in the site&apos;s character set %s and was not sent
</source>
        <comment>246</comment>
        <translation>이름 %s은(는) 사이트의 문자 집합 %s로 쓸 수 없어 보내지 않았습니다
</translation>
    </message>
    <message>
        <source>Refused %s: it is not a plain file name
</source>
        <comment>260</comment>
        <translation>%s 거부: 올바른 파일 이름이 아닙니다
</translation>
    </message>
    <message>
        <source>Refused %s: its link leads out of its folder
</source>
        <comment>261</comment>
        <translation>%s 거부: 링크가 폴더 밖을 가리킵니다
</translation>
    </message>
    <message>
        <source>Skipped %s: this folder was reached before in this run
</source>
        <comment>262</comment>
        <translation>%s 건너뜀: 이번 전송에서 이미 지나온 폴더입니다
</translation>
    </message>
    <message>
        <source>Cannot create or enter the folder %s; its entries are not queued
</source>
        <comment>263</comment>
        <translation>%s 폴더를 만들거나 들어갈 수 없습니다. 그 안의 항목은 대기열에 넣지 않습니다
</translation>
    </message>
    <message>
        <source>Cannot list the folder %s; its entries are not queued
</source>
        <comment>264</comment>
        <translation>%s 폴더의 목록을 읽을 수 없습니다. 그 안의 항목은 대기열에 넣지 않습니다
</translation>
    </message>
    <message>
        <source>Download incomplete: %ld of %ld bytes arrived; the part stays for a resume
</source>
        <comment>265</comment>
        <translation>다운로드가 끝나지 않았습니다: %ld / %ld바이트. 받은 부분은 이어받기를 위해 남겨 둡니다
</translation>
    </message>
    <message>
        <source>Resuming at %ld bytes
</source>
        <comment>266</comment>
        <translation>%ld바이트부터 이어서 전송합니다
</translation>
    </message>
    <message>
        <source>Not resumed: the local file is not shorter than the remote one (%ld bytes); it is fetched whole
</source>
        <comment>267</comment>
        <translation>이어받지 않음: 로컬 파일이 원격 파일(%ld바이트)보다 짧지 않아 처음부터 받습니다
</translation>
    </message>
    <message>
        <source>%s was not transferred; it stays in the queue
</source>
        <comment>268</comment>
        <translation>%s 파일을 전송하지 못했습니다. 대기열에 남겨 둡니다
</translation>
    </message>
    <message>
        <source>Skipped %s
</source>
        <comment>269</comment>
        <translation>%s 건너뜀
</translation>
    </message>
    <message>
        <source>Cannot shut down the computer: %s
</source>
        <comment>270</comment>
        <translation>컴퓨터를 끌 수 없습니다: %s
</translation>
    </message>
    <message>
        <source>Refused %s: the destination is a link or no plain file
</source>
        <comment>271</comment>
        <translation>%s 거부: 대상이 링크이거나 일반 파일이 아닙니다
</translation>
    </message>
    <message>
        <source>Cannot read the folder %s: %s
</source>
        <comment>272</comment>
        <translation>%s 폴더를 읽을 수 없습니다: %s
</translation>
    </message>
    <message>
        <source>Cannot list the folder %s
</source>
        <comment>273</comment>
        <translation>%s 폴더의 목록을 읽을 수 없습니다
</translation>
    </message>
    <message>
        <source>The server did not answer in time; the connection was closed so that a late reply is not taken for that of the next command
</source>
        <comment>274</comment>
        <translation>서버가 제때 응답하지 않았습니다. 늦게 온 응답을 다음 명령의 응답으로 잘못 읽지 않도록 연결을 닫았습니다
</translation>
    </message>
    <message>
        <source>TLS connection: %s
</source>
        <comment>275</comment>
        <translation>TLS 연결: %s
</translation>
    </message>
    <message>
        <source>The server does not offer TLS: the password is sent unencrypted
</source>
        <comment>276</comment>
        <translation>서버가 TLS를 지원하지 않습니다: 암호가 암호화되지 않은 채 전송됩니다
</translation>
    </message>
    <message>
        <source>The server refused TLS, which this site requires: connection closed
</source>
        <comment>277</comment>
        <translation>이 사이트는 TLS가 필요한데 서버가 TLS를 거부했습니다: 연결을 닫았습니다
</translation>
    </message>
    <message>
        <source>TLS handshake failed: %s
</source>
        <comment>278</comment>
        <translation>TLS 핸드셰이크 실패: %s
</translation>
    </message>
    <message>
        <source>The server&apos;s certificate could not be verified: %s
</source>
        <comment>279</comment>
        <translation>서버 인증서를 확인할 수 없습니다: %s
</translation>
    </message>
    <message>
        <source>The server&apos;s certificate was not accepted: connection closed
</source>
        <comment>280</comment>
        <translation>서버 인증서를 받아들이지 않았습니다: 연결을 닫았습니다
</translation>
    </message>
    <message>
        <source>The server refused to encrypt data connections (PROT P): connection closed
</source>
        <comment>281</comment>
        <translation>서버가 데이터 연결의 암호화(PROT P)를 거부했습니다: 연결을 닫았습니다
</translation>
    </message>
    <message>
        <source>The server refused to encrypt data connections (PROT P): listings and files are sent unencrypted
</source>
        <comment>282</comment>
        <translation>서버가 데이터 연결의 암호화(PROT P)를 거부했습니다: 목록과 파일이 암호화되지 않은 채 전송됩니다
</translation>
    </message>
    <message>
        <source>TLS on the data connection failed: %s
</source>
        <comment>283</comment>
        <translation>데이터 연결의 TLS 실패: %s
</translation>
    </message>
    <message>
        <source>The data connection ended without closing TLS: the transfer is incomplete
</source>
        <comment>284</comment>
        <translation>데이터 연결이 TLS를 닫지 않고 끝났습니다: 전송이 완료되지 않았습니다
</translation>
    </message>
    <message>
        <source>The data connection presented another certificate than the control connection: transfer refused
</source>
        <comment>285</comment>
        <translation>데이터 연결이 제어 연결과 다른 인증서를 보냈습니다: 전송을 거부했습니다
</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is trusted by the user: %s
</source>
        <comment>286</comment>
        <translation>사용자가 서버 인증서를 신뢰했습니다: %s
</translation>
    </message>
    <message>
        <source>The data connection did not resume the TLS session of the control connection
</source>
        <comment>287</comment>
        <translation>데이터 연결이 제어 연결의 TLS 세션을 이어 쓰지 않았습니다
</translation>
    </message>
    <message>
        <source>The address is longer than %d characters
</source>
        <comment>300</comment>
        <translation>주소가 %d자보다 깁니다
</translation>
    </message>
    <message>
        <source>The address holds a control character
</source>
        <comment>301</comment>
        <translation>주소에 제어 문자가 있습니다
</translation>
    </message>
    <message>
        <source>Unknown scheme %s: use ftp://, ftpes:// or ftps://
</source>
        <comment>302</comment>
        <translation>알 수 없는 방식 %s: ftp://, ftpes:// 또는 ftps://를 쓰세요
</translation>
    </message>
    <message>
        <source>The address names no server
</source>
        <comment>303</comment>
        <translation>주소에 서버 이름이 없습니다
</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535
</source>
        <comment>304</comment>
        <translation>포트는 1부터 65535까지의 숫자여야 합니다
</translation>
    </message>
    <message>
        <source>An IPv6 address must stand in brackets, such as [::1]:21
</source>
        <comment>305</comment>
        <translation>IPv6 주소는 [::1]:21처럼 대괄호 안에 써야 합니다
</translation>
    </message>
    <message>
        <source>Skipped %d unreadable lines of %s
</source>
        <comment>306</comment>
        <translation>읽을 수 없는 줄 %d개를 건너뛰었습니다: %s
</translation>
    </message>
    <message>
        <source>Could not connect to %s: trying the next address
</source>
        <comment>310</comment>
        <translation>%s에 연결할 수 없습니다: 다음 주소로 시도합니다
</translation>
    </message>
    <message>
        <source>The server&apos;s feature list (FEAT) could not be read: no features are used
</source>
        <comment>311</comment>
        <translation>서버의 기능 목록(FEAT)을 읽을 수 없습니다: 기능을 사용하지 않습니다
</translation>
    </message>
    <message>
        <source>The EPSV reply names no usable port: trying PASV
</source>
        <comment>312</comment>
        <translation>EPSV 응답에 쓸 수 있는 포트가 없습니다: PASV로 시도합니다
</translation>
    </message>
    <message>
        <source>The EPSV reply names the address %s: the data connection goes to the server&apos;s address %s
</source>
        <comment>313</comment>
        <translation>EPSV 응답이 주소 %s를 지정합니다: 데이터 연결은 서버 주소 %s로 갑니다
</translation>
    </message>
    <message>
        <source>The server refused EPRT: active mode is not possible over IPv6
</source>
        <comment>314</comment>
        <translation>서버가 EPRT를 거부했습니다: IPv6에서는 능동 모드를 쓸 수 없습니다
</translation>
    </message>
    <message>
        <source>The machine-readable listing (MLSD) failed: listing with LIST
</source>
        <comment>315</comment>
        <translation>기계 판독용 목록(MLSD)이 실패했습니다: LIST로 목록을 받습니다
</translation>
    </message>
    <message>
        <source>Skipped %d lines of the MLSD listing that name no file
</source>
        <comment>316</comment>
        <translation>파일 이름이 없는 MLSD 목록 %d줄을 건너뛰었습니다
</translation>
    </message>
    <message>
        <source>%d sizes or times of the MLSD listing could not be read and are left empty
</source>
        <comment>317</comment>
        <translation>MLSD 목록의 크기나 시간 %d개를 읽을 수 없어 비워 둡니다
</translation>
    </message>
    <message>
        <source>Could not give %s the server&apos;s time
</source>
        <comment>318</comment>
        <translation>%s에 서버의 시간을 줄 수 없습니다
</translation>
    </message>
    <message>
        <source>The server&apos;s time of %s could not be read: the file keeps the time of the transfer
</source>
        <comment>319</comment>
        <translation>%s의 서버 시간을 읽을 수 없습니다: 파일은 전송한 시간을 유지합니다
</translation>
    </message>
    <message>
        <source>The part of %s is smaller than 64 KiB: it is fetched again whole
</source>
        <comment>330</comment>
        <translation>%s의 받은 부분이 64 KiB보다 작아 처음부터 다시 받습니다
</translation>
    </message>
    <message>
        <source>%s: the server&apos;s file (%lld bytes) is not longer than the local part (%lld bytes); nothing is appended
</source>
        <comment>331</comment>
        <translation>%s: 서버의 파일(%lld 바이트)이 로컬 부분(%lld 바이트)보다 길지 않아 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the server will not send the file from the middle; nothing is appended
</source>
        <comment>332</comment>
        <translation>%s: 서버가 파일을 중간부터 보내지 않아 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the server sent %lld of the %lld bytes before the end of the part; nothing is appended
</source>
        <comment>333</comment>
        <translation>%s: 서버가 %lld 바이트만 보냈습니다(부분 끝 앞 %lld 바이트 필요). 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the last bytes of the part differ from the server&apos;s file, which has changed; nothing is appended
</source>
        <comment>334</comment>
        <translation>%s: 부분의 마지막 바이트가 서버 파일과 달라(파일이 바뀜) 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the server&apos;s file was modified after the part was started (then %s, now %s); nothing is appended
</source>
        <comment>335</comment>
        <translation>%s: 부분을 받기 시작한 뒤 서버 파일이 바뀌었습니다(그때 %s, 지금 %s). 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the server&apos;s modified time cannot be read (%s); nothing is appended
</source>
        <comment>336</comment>
        <translation>%s: 서버 파일의 수정 시각을 읽을 수 없어(%s) 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the record kept with the part is damaged or belongs to another file; nothing is appended
</source>
        <comment>337</comment>
        <translation>%s: 부분과 함께 둔 기록이 손상되었거나 다른 파일의 것이라 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the last 64 KiB of the part match the server&apos;s file
</source>
        <comment>338</comment>
        <translation>%s: 부분의 마지막 64 KiB가 서버 파일과 같습니다
</translation>
    </message>
    <message>
        <source>%s: the server&apos;s file is %lld bytes, not %lld as listed; nothing is appended
</source>
        <comment>339</comment>
        <translation>%s: 서버 파일이 %lld 바이트입니다(목록에는 %lld 바이트). 이어 붙이지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the resumed file was verified whole (%s)
</source>
        <comment>340</comment>
        <translation>%s: 이어 받은 파일 전체를 확인했습니다(%s)
</translation>
    </message>
    <message>
        <source>%s: of the resumed file only the 64 KiB before the resume point were verified
</source>
        <comment>341</comment>
        <translation>%s: 이어 받은 파일은 이어 받은 지점 앞 64 KiB만 확인했습니다
</translation>
    </message>
    <message>
        <source>%s: verified (%s)
</source>
        <comment>342</comment>
        <translation>%s: 확인됨(%s)
</translation>
    </message>
    <message>
        <source>%s: the checksums differ (%s): the server has %s, the transfer gave %s
</source>
        <comment>343</comment>
        <translation>%s: 체크섬이 다릅니다(%s). 서버 %s, 전송 결과 %s
</translation>
    </message>
    <message>
        <source>%s: the server&apos;s %s reply holds no usable checksum; the transfer is not verified
</source>
        <comment>344</comment>
        <translation>%s: 서버의 %s 응답에 쓸 수 있는 체크섬이 없어 전송을 확인하지 않았습니다
</translation>
    </message>
    <message>
        <source>%s: the server sent more than its file holds (%lld of %lld bytes); the file is not taken as done
</source>
        <comment>345</comment>
        <translation>%s: 서버가 %lld 바이트를 보냈지만 파일은 %lld 바이트입니다. 완료로 보지 않습니다
</translation>
    </message>
    <message>
        <source>%s: the server&apos;s file cannot be read back; only its size was compared
</source>
        <comment>346</comment>
        <translation>%s: 서버 파일을 다시 읽을 수 없어 크기만 비교했습니다
</translation>
    </message>
    <message>
        <source>%s: no record of the server&apos;s file from when the part was started; the overlap alone decides
</source>
        <comment>347</comment>
        <translation>%s: 부분을 받기 시작할 때의 서버 파일 기록이 없어 겹치는 부분만으로 판단합니다
</translation>
    </message>
    <message>
        <source>The system keyring cannot be reached (%s): the passwords stay in the site file
</source>
        <comment>350</comment>
        <translation>시스템 키링에 연결할 수 없습니다 (%s): 비밀번호는 사이트 파일에 남습니다
</translation>
    </message>
    <message>
        <source>The keyring did not take the password of %s (%s): it stays in the file
</source>
        <comment>351</comment>
        <translation>키링이 %s의 비밀번호를 받지 않았습니다 (%s): 파일에 남습니다
</translation>
    </message>
    <message>
        <source>The password of %s could not be read from the keyring (%s)
</source>
        <comment>352</comment>
        <translation>키링에서 %s의 비밀번호를 읽지 못했습니다 (%s)
</translation>
    </message>
    <message>
        <source>no answer within %d seconds</source>
        <comment>353</comment>
        <translation>%d초 안에 응답이 없음</translation>
    </message>
    <message>
        <source>%d passwords moved into the system keyring
</source>
        <comment>354</comment>
        <translation>비밀번호 %d개를 시스템 키링으로 옮겼습니다
</translation>
    </message>
    <message>
        <source>%d passwords moved from the system keyring back into the file
</source>
        <comment>355</comment>
        <translation>비밀번호 %d개를 시스템 키링에서 파일로 되돌렸습니다
</translation>
    </message>
    <message>
        <source>The keyring kept the password of %s (%s)
</source>
        <comment>356</comment>
        <translation>키링이 %s의 비밀번호를 지우지 않았습니다 (%s)
</translation>
    </message>
    <message>
        <source>the last session</source>
        <comment>357</comment>
        <translation>마지막 세션</translation>
    </message>
    <message>
        <source>The server refused another connection: transfers to this site use at most %d from now on
</source>
        <comment>390</comment>
        <translation>서버가 연결을 더 받지 않습니다: 이 사이트로는 이제 연결을 %d개까지만 씁니다
</translation>
    </message>
    <message>
        <source>Transferring on %d connections
</source>
        <comment>391</comment>
        <translation>연결 %d개로 전송합니다
</translation>
    </message>
    <message>
        <source>Enter the same folders in both panes
Synchronized browsing</source>
        <comment>410</comment>
        <translation>두 창에서 같은 폴더로 들어갑니다
동기화 탐색</translation>
    </message>
    <message>
        <source>Mark what differs between the local and the remote folder
Compare folders</source>
        <comment>411</comment>
        <translation>로컬 폴더와 원격 폴더의 다른 점을 표시합니다
폴더 비교</translation>
    </message>
    <message>
        <source>Synchronized browsing is on: local %s, remote %s
</source>
        <comment>412</comment>
        <translation>동기화 탐색을 켰습니다: 로컬 %s, 원격 %s
</translation>
    </message>
    <message>
        <source>Synchronized browsing is off
</source>
        <comment>413</comment>
        <translation>동기화 탐색을 껐습니다
</translation>
    </message>
    <message>
        <source>Synchronized browsing is off: the local folder %s does not exist
</source>
        <comment>414</comment>
        <translation>동기화 탐색을 껐습니다: 로컬 폴더 %s이(가) 없습니다
</translation>
    </message>
    <message>
        <source>Synchronized browsing is off: the remote folder %s could not be entered
</source>
        <comment>415</comment>
        <translation>동기화 탐색을 껐습니다: 원격 폴더 %s에 들어갈 수 없습니다
</translation>
    </message>
    <message>
        <source>Synchronized browsing is off: there is no folder above %s
</source>
        <comment>416</comment>
        <translation>동기화 탐색을 껐습니다: %s 위에는 폴더가 없습니다
</translation>
    </message>
    <message>
        <source>Synchronized browsing is off: the server shows %s instead of %s
</source>
        <comment>417</comment>
        <translation>동기화 탐색을 껐습니다: 서버가 보여 주는 폴더는 %s이며 요청한 %s이(가) 아닙니다
</translation>
    </message>
    <message>
        <source>Synchronized browsing needs a remote folder with its full path
</source>
        <comment>418</comment>
        <translation>동기화 탐색에는 전체 경로가 있는 원격 폴더가 필요합니다
</translation>
    </message>
    <message>
        <source>Connecting to a server
Connect</source>
        <comment>32773</comment>
        <translation>서버에 접속합니다
접속</translation>
    </message>
    <message>
        <source>Disconnect from the server
Disconnect</source>
        <comment>32774</comment>
        <translation>서버와의 접속을 끊습니다
접속 끊기</translation>
    </message>
    <message>
        <source>Create a new folder
New folder</source>
        <comment>32775</comment>
        <translation>새 폴더를 만듭니다
새 폴더</translation>
    </message>
    <message>
        <source>Read the list again
Refresh</source>
        <comment>32776</comment>
        <translation>목록을 다시 읽습니다
새로 고침</translation>
    </message>
    <message>
        <source>Rename the selected item
Rename</source>
        <comment>32777</comment>
        <translation>선택한 항목의 이름을 바꿉니다
이름 바꾸기</translation>
    </message>
    <message>
        <source>Delete the selected items
Delete</source>
        <comment>32778</comment>
        <translation>선택한 항목을 삭제합니다
삭제</translation>
    </message>
    <message>
        <source>Open the selected items
Open</source>
        <comment>32779</comment>
        <translation>선택한 항목을 엽니다
열기</translation>
    </message>
    <message>
        <source>Transfer the files in the queue
Transfer queue</source>
        <comment>32782</comment>
        <translation>대기열의 파일을 전송합니다
대기열 전송</translation>
    </message>
    <message>
        <source>Delete everything
Delete all</source>
        <comment>32783</comment>
        <translation>모두 삭제합니다
모두 삭제</translation>
    </message>
    <message>
        <source>Open the Site Manager
Site Manager</source>
        <comment>32784</comment>
        <translation>사이트 관리자를 엽니다
사이트 관리자</translation>
    </message>
    <message>
        <source>Move the selected items up
Move up</source>
        <comment>32785</comment>
        <translation>선택한 항목을 위로 옮깁니다
위로</translation>
    </message>
    <message>
        <source>Move the selected items down
Move down</source>
        <comment>32786</comment>
        <translation>선택한 항목을 아래로 옮깁니다
아래로</translation>
    </message>
    <message>
        <source>Move the selected items to the top
Move to top</source>
        <comment>32787</comment>
        <translation>선택한 항목을 맨 위로 옮깁니다
맨 위로</translation>
    </message>
    <message>
        <source>Move the selected items to the bottom
Move to bottom</source>
        <comment>32788</comment>
        <translation>선택한 항목을 맨 아래로 옮깁니다
맨 아래로</translation>
    </message>
    <message>
        <source>Abort the running job
Abort</source>
        <comment>32789</comment>
        <translation>실행 중인 작업을 중단합니다
중단</translation>
    </message>
    <message>
        <source>Add a folder or a site
Add</source>
        <comment>32790</comment>
        <translation>폴더나 사이트를 추가합니다
추가</translation>
    </message>
    <message>
        <source>Read the queue from a file
Read queue</source>
        <comment>32791</comment>
        <translation>파일에서 대기열을 읽습니다
대기열 읽기</translation>
    </message>
    <message>
        <source>Save the queue to a file
Save queue</source>
        <comment>32792</comment>
        <translation>대기열을 파일에 저장합니다
대기열 저장</translation>
    </message>
    <message>
        <source>Change the preferences
Preferences</source>
        <comment>32793</comment>
        <translation>환경 설정을 바꿉니다
환경 설정</translation>
    </message>
    <message>
        <source>Copy the selection to the clipboard
Copy</source>
        <comment>32794</comment>
        <translation>선택한 내용을 클립보드에 복사합니다
복사</translation>
    </message>
    <message>
        <source>Delete the selection
Delete</source>
        <comment>32795</comment>
        <translation>선택한 내용을 삭제합니다
삭제</translation>
    </message>
    <message>
        <source>Visit the homepage of the program
Homepage</source>
        <comment>32797</comment>
        <translation>프로그램 홈페이지를 방문합니다
홈페이지</translation>
    </message>
    <message>
        <source>Open the current folder in the file manager
Open folder</source>
        <comment>32798</comment>
        <translation>현재 폴더를 파일 관리자에서 엽니다
폴더 열기</translation>
    </message>
    <message>
        <source>Send a command to the server
User command</source>
        <comment>32799</comment>
        <translation>서버에 명령을 보냅니다
사용자 명령</translation>
    </message>
    <message>
        <source>Change the attributes of the selected item
Attribute</source>
        <comment>32800</comment>
        <translation>선택한 항목의 속성을 바꿉니다
속성</translation>
    </message>
    <message>
        <source>Upload the selected items
Upload</source>
        <comment>32802</comment>
        <translation>선택한 항목을 업로드합니다
업로드</translation>
    </message>
    <message>
        <source>Download the selected items
Download</source>
        <comment>32803</comment>
        <translation>선택한 항목을 다운로드합니다
다운로드</translation>
    </message>
    <message>
        <source>Put the selected items in the queue for upload
Upload later</source>
        <comment>32804</comment>
        <translation>선택한 항목을 업로드 대기열에 넣습니다
나중에 업로드</translation>
    </message>
    <message>
        <source>Put the selected items in the queue for download
Download later</source>
        <comment>32805</comment>
        <translation>선택한 항목을 다운로드 대기열에 넣습니다
나중에 다운로드</translation>
    </message>
    <message>
        <source>Delete the cached listings of this server
Delete folder cache</source>
        <comment>32806</comment>
        <translation>이 서버의 캐시된 목록을 삭제합니다
폴더 캐시 삭제</translation>
    </message>
    <message>
        <source>Transfer the files in the queue
Transfer</source>
        <comment>32807</comment>
        <translation>대기열의 파일을 전송합니다
전송</translation>
    </message>
    <message>
        <source>Select all items
Select all</source>
        <comment>32808</comment>
        <translation>모든 항목을 선택합니다
모두 선택</translation>
    </message>
    <message>
        <source>Move the selected items to another directory
Move</source>
        <comment>32811</comment>
        <translation>선택한 항목을 다른 디렉터리로 옮깁니다
이동</translation>
    </message>
    <message>
        <source>Open the selected file in the text editor
Text editor</source>
        <comment>32812</comment>
        <translation>선택한 파일을 텍스트 편집기에서 엽니다
텍스트 편집기</translation>
    </message>
    <message>
        <source>Transfer files in binary mode
Binary mode</source>
        <comment>32813</comment>
        <translation>파일을 바이너리 모드로 전송합니다
바이너리 모드</translation>
    </message>
    <message>
        <source>Transfer files in ASCII mode
ASCII mode</source>
        <comment>32814</comment>
        <translation>파일을 ASCII 모드로 전송합니다
ASCII 모드</translation>
    </message>
    <message>
        <source>Choose ASCII or binary mode by the file extension
Auto mode</source>
        <comment>32815</comment>
        <translation>파일 확장자에 따라 ASCII나 바이너리 모드를 고릅니다
자동 모드</translation>
    </message>
    <message>
        <source>Ask the homepage whether a newer version exists
Check for upgrade</source>
        <comment>32816</comment>
        <translation>새 버전이 있는지 홈페이지에 물어봅니다
업그레이드 확인</translation>
    </message>
    <message>
        <source>Delete the selected folder with everything in it
Delete folder</source>
        <comment>32817</comment>
        <translation>선택한 폴더를 그 안의 모든 항목과 함께 삭제합니다
폴더 삭제</translation>
    </message>
    <message>
        <source>Tidewell</source>
        <comment>57344</comment>
        <translation>Tidewell</translation>
    </message>
    <message>
        <source>Ready</source>
        <comment>57345</comment>
        <translation>준비</translation>
    </message>
    <message>
        <source>Show the program&apos;s version and copyright
About</source>
        <comment>57664</comment>
        <translation>프로그램의 버전과 저작권을 보여 줍니다
정보</translation>
    </message>
    <message>
        <source>Quit the program
Exit</source>
        <comment>57665</comment>
        <translation>프로그램을 끝냅니다
끝내기</translation>
    </message>
    <message>
        <source>Open the help
Help</source>
        <comment>57667</comment>
        <translation>도움말을 엽니다
도움말</translation>
    </message>
    <message>
        <source>Open the help
Help</source>
        <comment>57670</comment>
        <translation>도움말을 엽니다
도움말</translation>
    </message>
    <message>
        <source>The server refused another connection: the transfer runs on the session&apos;s connection
</source>
        <comment>430</comment>
        <translation>서버가 연결을 더 받지 않습니다: 전송은 세션의 연결에서 합니다
</translation>
    </message>
</context>
<context>
    <name>UiText</name>
    <message>
        <source>%1 items</source>
        <translation>항목 %1개</translation>
    </message>
    <message>
        <source>Filter (text or *.txt)</source>
        <translation>필터 (글자 또는 *.txt)</translation>
    </message>
    <message>
        <source>Only on this side</source>
        <translation>이쪽에만 있음</translation>
    </message>
    <message>
        <source>The size differs</source>
        <translation>크기가 다름</translation>
    </message>
    <message>
        <source>Newer on this side</source>
        <translation>이쪽이 더 새로움</translation>
    </message>
    <message>
        <source>Newer on the other side</source>
        <translation>다른 쪽이 더 새로움</translation>
    </message>
    <message>
        <source>Change File Attribute</source>
        <translation>파일 속성 바꾸기</translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation>모드:</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>정수를 입력하세요.</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>%1에서 %2 사이의 정수를 입력하세요.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>업로드</translation>
    </message>
    <message>
        <source>Upload Later</source>
        <translation>나중에 업로드</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>Open with text editor</source>
        <translation>텍스트 편집기로 열기</translation>
    </message>
    <message>
        <source>Refresh	F5</source>
        <translation>새로 고침	F5</translation>
    </message>
    <message>
        <source>Rename...</source>
        <translation>이름 바꾸기...</translation>
    </message>
    <message>
        <source>Delete...	Del</source>
        <translation>삭제...	Del</translation>
    </message>
    <message>
        <source>Delete subfolder...</source>
        <translation>하위 폴더 삭제...</translation>
    </message>
    <message>
        <source>New Folder...</source>
        <translation>새 폴더...</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>모두 선택</translation>
    </message>
    <message>
        <source>Open in file manager</source>
        <translation>파일 관리자에서 열기</translation>
    </message>
    <message>
        <source>Cannot read the folder %1: %2
</source>
        <translation>%1 폴더를 읽을 수 없습니다: %2
</translation>
    </message>
    <message>
        <source>Only the first %1 entries of %2 are shown.
</source>
        <translation>%2의 처음 %1개 항목만 보여 줍니다.
</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>찾아보기</translation>
    </message>
    <message>
        <source>Not a valid name: %1
</source>
        <translation>올바른 이름이 아닙니다: %1
</translation>
    </message>
    <message>
        <source>%1 cannot be opened: its name is not valid UTF-8.
</source>
        <translation>%1을(를) 열 수 없습니다. 이름이 올바른 UTF-8이 아닙니다.
</translation>
    </message>
    <message>
        <source>Cannot open %1
</source>
        <translation>%1을(를) 열 수 없습니다
</translation>
    </message>
    <message>
        <source>Deleting %1 stopped at %2: %3
</source>
        <translation>%1 삭제가 %2에서 멈췄습니다: %3
</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>새 폴더</translation>
    </message>
    <message>
        <source>Transfer</source>
        <translation>전송</translation>
    </message>
    <message>
        <source>Upload selected item(s) ?</source>
        <translation>선택한 항목을 업로드하시겠습니까?</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>위로</translation>
    </message>
    <message>
        <source>Move to</source>
        <translation>이동</translation>
    </message>
    <message>
        <source>Enter the destination directory.</source>
        <translation>대상 디렉터리를 입력하세요.</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>다운로드</translation>
    </message>
    <message>
        <source>Download Later</source>
        <translation>나중에 다운로드</translation>
    </message>
    <message>
        <source>Change Attribute...</source>
        <translation>속성 바꾸기...</translation>
    </message>
    <message>
        <source>Move to...</source>
        <translation>이동...</translation>
    </message>
    <message>
        <source>User Command...</source>
        <translation>사용자 명령...</translation>
    </message>
    <message>
        <source>Delete Folder Cache</source>
        <translation>폴더 캐시 삭제</translation>
    </message>
    <message>
        <source>Synchronized browsing</source>
        <translation>동기화 탐색</translation>
    </message>
    <message>
        <source>Compare folders</source>
        <translation>폴더 비교</translation>
    </message>
    <message>
        <source>Download selected item(s) ?</source>
        <translation>선택한 항목을 다운로드하시겠습니까?</translation>
    </message>
    <message>
        <source>User Command</source>
        <translation>사용자 명령</translation>
    </message>
    <message>
        <source>Queue file (*.q)</source>
        <translation>대기열 파일 (*.q)</translation>
    </message>
    <message>
        <source>Move to upward</source>
        <translation>위로 이동</translation>
    </message>
    <message>
        <source>Move to downward</source>
        <translation>아래로 이동</translation>
    </message>
    <message>
        <source>Move to top</source>
        <translation>맨 위로 이동</translation>
    </message>
    <message>
        <source>Move to bottom</source>
        <translation>맨 아래로 이동</translation>
    </message>
    <message>
        <source>Delete	Del</source>
        <translation>삭제	Del</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>모두 삭제</translation>
    </message>
    <message>
        <source>Read from file...</source>
        <translation>파일에서 읽기...</translation>
    </message>
    <message>
        <source>Save to file...</source>
        <translation>파일에 저장...</translation>
    </message>
    <message>
        <source>Transfer finished</source>
        <translation>전송 완료</translation>
    </message>
    <message>
        <source>Transfer finished, not everything was transferred</source>
        <translation>전송 완료, 전송되지 않은 파일이 있습니다</translation>
    </message>
    <message>
        <source>%1 files transferred (%2 bytes).</source>
        <translation>파일 %1개를 전송했습니다 (%2바이트).</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>외 %1개</translation>
    </message>
    <message>
        <source>%1 files not transferred, still in the queue: %2</source>
        <translation>전송되지 않아 대기열에 남은 파일 %1개: %2</translation>
    </message>
    <message>
        <source>Refused %1: its path holds a line break
</source>
        <translation>%1을(를) 거부했습니다: 경로에 줄 바꿈이 있습니다
</translation>
    </message>
    <message>
        <source>Cannot save the queue to %1: %2
</source>
        <translation>대기열을 %1에 저장할 수 없습니다: %2
</translation>
    </message>
    <message>
        <source>Not queued: the path is longer than %1 bytes: %2
</source>
        <translation>대기열에 넣지 않았습니다. 경로가 %1바이트보다 깁니다: %2
</translation>
    </message>
    <message>
        <source>%1 is not a queue file.
</source>
        <translation>%1은(는) 대기열 파일이 아닙니다.
</translation>
    </message>
    <message>
        <source>The queue file %1 ends inside a record; %2 of %3 items were read.
</source>
        <translation>대기열 파일 %1이(가) 레코드 중간에서 끝납니다. 항목 %3개 중 %2개를 읽었습니다.
</translation>
    </message>
    <message>
        <source>The size of %1 does not fit the queue file and was left out.
</source>
        <translation>%1의 크기가 대기열 파일에 맞지 않아 저장하지 않았습니다.
</translation>
    </message>
    <message>
        <source>About Tidewell</source>
        <translation>Tidewell 정보</translation>
    </message>
    <message>
        <source>A desktop FTP client, written by the Tidewell developers.</source>
        <translation>Tidewell 개발자들이 만든 데스크톱 FTP 클라이언트입니다.</translation>
    </message>
    <message>
        <source>Shut down the computer</source>
        <translation>컴퓨터 종료</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>접속 끊기</translation>
    </message>
    <message>
        <source>&quot;Shut down the computer after transfer&quot; option is enabled. Shut down the computer now?</source>
        <translation>&quot;전송 후 컴퓨터 종료&quot; 옵션이 켜져 있습니다. 지금 컴퓨터를 종료하시겠습니까?</translation>
    </message>
    <message>
        <source>&quot;Disconnecting after transfer&quot; option is enabled. Disconnect now?</source>
        <translation>&quot;전송 후 접속 끊기&quot; 옵션이 켜져 있습니다. 지금 접속을 끊으시겠습니까?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>예</translation>
    </message>
    <message>
        <source>No</source>
        <translation>아니요</translation>
    </message>
    <message>
        <source>The certificate of %1 has changed since you chose to trust it. Someone may be intercepting the connection.</source>
        <translation>%1의 인증서가 신뢰하기로 한 뒤에 바뀌었습니다. 누군가 연결을 가로채고 있을 수 있습니다.</translation>
    </message>
    <message>
        <source>The certificate of %1 could not be verified.</source>
        <translation>%1의 인증서를 확인할 수 없습니다.</translation>
    </message>
    <message>
        <source>&amp;Trust always</source>
        <translation>항상 신뢰(&amp;T)</translation>
    </message>
    <message>
        <source>Trust &amp;once</source>
        <translation>이번만 신뢰(&amp;O)</translation>
    </message>
    <message>
        <source>Warning: server certificate changed</source>
        <translation>경고: 서버 인증서가 바뀌었습니다</translation>
    </message>
    <message>
        <source>Unverified server certificate</source>
        <translation>확인되지 않은 서버 인증서</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>주체:</translation>
    </message>
    <message>
        <source>Issuer:</source>
        <translation>발급자:</translation>
    </message>
    <message>
        <source>Valid from:</source>
        <translation>유효 기간 시작:</translation>
    </message>
    <message>
        <source>Valid until:</source>
        <translation>유효 기간 끝:</translation>
    </message>
    <message>
        <source>Reason:</source>
        <translation>이유:</translation>
    </message>
    <message>
        <source>SHA-256 fingerprint:</source>
        <translation>SHA-256 지문:</translation>
    </message>
    <message>
        <source>The file %s already exists.</source>
        <translation>%s 파일이 이미 있습니다.</translation>
    </message>
    <message>
        <source>Resume (verified)</source>
        <translation>이어받기(확인됨)</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>이어서 전송</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>이름 바꾸기</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>덮어쓰기</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>건너뛰기</translation>
    </message>
    <message>
        <source>All</source>
        <translation>모두</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>선택</translation>
    </message>
    <message>
        <source>Existing file:</source>
        <translation>기존 파일:</translation>
    </message>
    <message>
        <source>New file:</source>
        <translation>새 파일:</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1바이트</translation>
    </message>
    <message>
        <source>not known</source>
        <translation>알 수 없음</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>찾아보기...</translation>
    </message>
    <message>
        <source>Keep site passwords in the system keyring</source>
        <translation>사이트 비밀번호를 시스템 키링에 보관</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>초</translation>
    </message>
    <message>
        <source>Default download:</source>
        <translation>기본 다운로드 폴더:</translation>
    </message>
    <message>
        <source>Tidewell Help</source>
        <translation>Tidewell 도움말</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>준비</translation>
    </message>
    <message>
        <source>Site Manager</source>
        <translation>사이트 관리자</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>접속</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>끝내기(&amp;X)</translation>
    </message>
    <message>
        <source>Transfer Queue</source>
        <translation>대기열 전송</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>중단</translation>
    </message>
    <message>
        <source>Preference</source>
        <translation>환경 설정</translation>
    </message>
    <message>
        <source>Brief &amp;Help</source>
        <translation>간단한 도움말(&amp;H)</translation>
    </message>
    <message>
        <source>Visit Homepage</source>
        <translation>홈페이지 방문</translation>
    </message>
    <message>
        <source>Check for upgrade</source>
        <translation>업그레이드 확인</translation>
    </message>
    <message>
        <source>&amp;About Tidewell...</source>
        <translation>Tidewell 정보(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>파일(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Transfer</source>
        <translation>전송(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Remote</source>
        <translation>원격(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>옵션(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>도움말(&amp;H)</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>도구 모음</translation>
    </message>
    <message>
        <source>Please enter a positive integer.</source>
        <translation>양의 정수를 입력하세요.</translation>
    </message>
    <message>
        <source>Please enter no more than %1 characters.</source>
        <translation>%1자 이하로 입력하세요.</translation>
    </message>
    <message>
        <source>Enter your password</source>
        <translation>비밀번호를 입력하세요</translation>
    </message>
    <message>
        <source>General</source>
        <translation>일반</translation>
    </message>
    <message>
        <source>Special</source>
        <translation>특수</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>적용</translation>
    </message>
    <message>
        <source>Encrypted (TLS)</source>
        <translation>암호화됨(TLS)</translation>
    </message>
    <message>
        <source>Files not encrypted</source>
        <translation>파일은 암호화 안 됨</translation>
    </message>
    <message>
        <source>Not encrypted</source>
        <translation>암호화 안 됨</translation>
    </message>
    <message>
        <source>Listings and files cross the network in clear</source>
        <translation>목록과 파일이 암호화되지 않은 채 네트워크를 지납니다</translation>
    </message>
    <message>
        <source>%1 of %2 files, %3 of %4 bytes</source>
        <translation>파일 %2개 중 %1개, %4바이트 중 %3바이트</translation>
    </message>
    <message>
        <source>Quick connect</source>
        <translation>빠른 접속</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>접속(&amp;C)</translation>
    </message>
    <message>
        <source>host or ftpes://user@host</source>
        <translation>호스트 또는 ftpes://사용자@호스트</translation>
    </message>
    <message>
        <source>New name:</source>
        <translation>새 이름:</translation>
    </message>
    <message>
        <source>Keep connection</source>
        <translation>접속 유지</translation>
    </message>
    <message>
        <source>Sound Effect</source>
        <translation>효과음</translation>
    </message>
    <message>
        <source>Passive mode</source>
        <translation>패시브 모드</translation>
    </message>
    <message>
        <source>Verify checksums after each transfer</source>
        <translation>전송할 때마다 체크섬 확인</translation>
    </message>
    <message>
        <source>Keep the modified time of transferred files</source>
        <translation>전송한 파일의 수정 시간 유지</translation>
    </message>
    <message>
        <source>After transfer(this time only)</source>
        <translation>전송 후(이번만)</translation>
    </message>
    <message>
        <source>Text file(auto ASCII mode)</source>
        <translation>텍스트 파일(자동 ASCII 모드)</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>간격</translation>
    </message>
    <message>
        <source>min.</source>
        <translation>분</translation>
    </message>
    <message>
        <source>Simultaneous transfers</source>
        <translation>동시 전송</translation>
    </message>
    <message>
        <source>A desktop FTP client.</source>
        <translation>데스크톱 FTP 클라이언트입니다.</translation>
    </message>
    <message>
        <source>The server to connect to at start: a host name or an ftp://, ftpes:// or ftps:// URL.</source>
        <translation>시작할 때 연결할 서버: 호스트 이름 또는 ftp://, ftpes://, ftps:// URL입니다.</translation>
    </message>
    <message>
        <source>Give one address at most.</source>
        <translation>주소는 하나만 주세요.</translation>
    </message>
    <message>
        <source>Upload again from the start</source>
        <translation>처음부터 다시 올리기</translation>
    </message>
    <message>
        <source>Download again from the start</source>
        <translation>처음부터 다시 받기</translation>
    </message>
    <message>
        <source>%s cannot be resumed safely: the part does not match the server&apos;s file.</source>
        <translation>%s은(는) 안전하게 이어받을 수 없습니다: 받은 부분이 서버 파일과 맞지 않습니다.</translation>
    </message>
    <message>
        <source>Visit homepage</source>
        <translation>홈페이지 방문</translation>
    </message>
    <message>
        <source>update</source>
        <translation>업데이트</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>버전:</translation>
    </message>
    <message>
        <source>Release:</source>
        <translation>출시일:</translation>
    </message>
    <message>
        <source>Upgraded program detected.</source>
        <translation>새 버전의 프로그램이 있습니다.</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>자동</translation>
    </message>
    <message>
        <source>Anonymous</source>
        <translation>익명</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Relative path</source>
        <translation>상대 경로</translation>
    </message>
    <message>
        <source>FTP address:</source>
        <translation>FTP 주소:</translation>
    </message>
    <message>
        <source>User ID:</source>
        <translation>사용자 ID:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>비밀번호:</translation>
    </message>
    <message>
        <source>Encryption:</source>
        <translation>암호화:</translation>
    </message>
    <message>
        <source>Character set:</source>
        <translation>문자 집합:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>포트:</translation>
    </message>
    <message>
        <source>Initial remote path:</source>
        <translation>처음 원격 경로:</translation>
    </message>
    <message>
        <source>Initial local path:</source>
        <translation>처음 로컬 경로:</translation>
    </message>
    <message>
        <source>Kept in the system keyring</source>
        <translation>시스템 키링에 보관됨</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>폴더</translation>
    </message>
    <message>
        <source>The site list file ends inside a record; the sites after it were not loaded.
</source>
        <translation>사이트 목록 파일이 레코드 중간에서 끝납니다. 그 뒤의 사이트는 읽지 못했습니다.
</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>사이트</translation>
    </message>
    <message>
        <source>Please enter an integer between 0 and 999999.</source>
        <translation>0에서 999999 사이의 정수를 입력하세요.</translation>
    </message>
    <message>
        <source>FTP site</source>
        <translation>FTP 사이트</translation>
    </message>
    <message>
        <source>Owner</source>
        <translation>소유자</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>그룹</translation>
    </message>
    <message>
        <source>Public</source>
        <translation>기타 사용자</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>읽기</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>쓰기</translation>
    </message>
    <message>
        <source>Execute</source>
        <translation>실행</translation>
    </message>
    <message>
        <source>Cannot rename %1: %2
</source>
        <translation>%1의 이름을 바꿀 수 없습니다: %2
</translation>
    </message>
    <message>
        <source>Cannot delete %1: %2
</source>
        <translation>%1을(를) 삭제할 수 없습니다: %2
</translation>
    </message>
    <message>
        <source>Cannot create the folder %1: %2
</source>
        <translation>%1 폴더를 만들 수 없습니다: %2
</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>복사</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>삭제</translation>
    </message>
    <message>
        <source>Deleta All</source>
        <translation>모두 삭제</translation>
    </message>
    <message>
        <source>Checking for an upgraded version...</source>
        <translation>새 버전을 확인하는 중입니다...</translation>
    </message>
    <message>
        <source>Number of retries:</source>
        <translation>재시도 횟수:</translation>
    </message>
    <message>
        <source>Retry delay:</source>
        <translation>재시도 간격:</translation>
    </message>
    <message>
        <source>E-mail:</source>
        <translation>전자 우편:</translation>
    </message>
    <message>
        <source>binary mode</source>
        <translation>바이너리 모드</translation>
    </message>
    <message>
        <source>ASCII mode</source>
        <translation>ASCII 모드</translation>
    </message>
    <message>
        <source>auto mode</source>
        <translation>자동 모드</translation>
    </message>
    <message>
        <source>Ho&amp;st:</source>
        <translation>호스트(&amp;S):</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>사용자(&amp;U):</translation>
    </message>
    <message>
        <source>Pass&amp;word:</source>
        <translation>비밀번호(&amp;W):</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>포트(&amp;P):</translation>
    </message>
    <message>
        <source>Not use</source>
        <translation>사용 안 함</translation>
    </message>
    <message>
        <source>Windows shutdown</source>
        <translation>시스템 종료</translation>
    </message>
    <message>
        <source>Plain FTP (unencrypted)</source>
        <translation>일반 FTP (암호화 안 함)</translation>
    </message>
    <message>
        <source>Explicit TLS if the server offers it</source>
        <translation>서버가 지원하면 명시적 TLS</translation>
    </message>
    <message>
        <source>Require explicit TLS</source>
        <translation>명시적 TLS 필수</translation>
    </message>
    <message>
        <source>Implicit TLS</source>
        <translation>암시적 TLS</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>추가</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>폴더 추가</translation>
    </message>
    <message>
        <source>Add Site</source>
        <translation>사이트 추가</translation>
    </message>
    <message>
        <source>Delete Folder</source>
        <translation>폴더 삭제</translation>
    </message>
    <message>
        <source>Delete Site</source>
        <translation>사이트 삭제</translation>
    </message>
</context>
</TS>
