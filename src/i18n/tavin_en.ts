<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ko_KR">
<context>
    <name>BackgroundJob</name>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>이 작업은 시작된 뒤에는 취소할 수 없습니다.</source>
        <translation>This cannot be cancelled once it has started.</translation>
    </message>
</context>
<context>
    <name>CBBSettingDlg</name>
    <message>
        <source>%1년</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>M'월'</source>
        <extracomment>The month field: a QDate format (&quot;M&quot; the number, &quot;MMM&quot; or &quot;MMMM&quot; the English name).</extracomment>
        <translation>MMM</translation>
    </message>
    <message>
        <source>%1일</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>H'시'</source>
        <extracomment>The hour field: a QTime format (&quot;H&quot; 0-23, &quot;h AP&quot; 1-12 with AM or PM).</extracomment>
        <translation>h AP</translation>
    </message>
    <message>
        <source>%1분</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1초</source>
        <translation>%1 sec</translation>
    </message>
    <message>
        <source>모델명: </source>
        <translation>Model: </translation>
    </message>
    <message>
        <source>펌웨어 버젼: </source>
        <translation>Firmware version: </translation>
    </message>
    <message>
        <source>MICOM: </source>
        <translation>Controller firmware: </translation>
    </message>
    <message>
        <source>설정된 시간을 저장하시겠습니까?</source>
        <translation>Save the time you set?</translation>
    </message>
    <message>
        <source>시간 설정</source>
        <translation>Set the time</translation>
    </message>
    <message>
        <source>SD 카드를 포맷하면 카드에 저장된 모든 영상이 지워집니다.
포맷하시겠습니까?</source>
        <translation>Formatting the SD card erases every video on it.
Format the card?</translation>
    </message>
    <message>
        <source>경고</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>저장 장치가 사용 중입니다!</source>
        <translation>The storage device is in use!</translation>
    </message>
    <message>
        <source>SD 카드를 포맷하지 못했습니다.
</source>
        <translation>Could not format the SD card.
</translation>
    </message>
    <message>
        <source>읽을 수 없던 설정 파일을 %1 (으)로 보관했습니다.</source>
        <translation>The card's settings file could not be read; the old file was kept as %1.</translation>
    </message>
    <message>
        <source>SD 카드를 포맷하는 중입니다...</source>
        <translation>Formatting the SD card...</translation>
    </message>
</context>
<context>
    <name>CImageControlDlg</name>
    <message>
        <source>%1배</source>
        <translation>%1x</translation>
    </message>
    <message>
        <source>재생 속도 : </source>
        <translation>Playback speed: </translation>
    </message>
</context>
<context>
    <name>CPrintInputDlg</name>
    <message>
        <source>출력 정보</source>
        <translation>Print details</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>1. 차량번호 : </source>
        <translation>1. Licence plate: </translation>
    </message>
    <message>
        <source>2. 차량종류 : </source>
        <translation>2. Vehicle type: </translation>
    </message>
    <message>
        <source>3. 사고 발생날짜 : </source>
        <translation>3. Date of the accident: </translation>
    </message>
</context>
<context>
    <name>CStorageDlg</name>
    <message>
        <source>백업 폴더 선택</source>
        <translation>Choose the backup folder</translation>
    </message>
    <message>
        <source>SD 카드를 백업하는 중입니다...</source>
        <translation>Backing up the SD card...</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>백업</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>백업하지 못했습니다.
%1</source>
        <translation>The backup failed.
%1</translation>
    </message>
    <message numerus="yes">
        <source>%n개 파일, %1, 검증 완료
%2</source>
        <translation>
            <numerusform>%n file (%1) backed up and verified in
%2</numerusform>
            <numerusform>%n files (%1) backed up and verified in
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>다름: %1</source>
        <translation>Differs: %1</translation>
    </message>
    <message>
        <source>실패: %1</source>
        <translation>Failed: %1</translation>
    </message>
    <message>
        <source>백업한 파일 중 카드와 다른 파일이 있습니다.
%1

%2</source>
        <translation>Some backed-up files differ from the card.
%1

%2</translation>
    </message>
</context>
<context>
    <name>CTAVINApp</name>
    <message>
        <source>이미 실행중입니다.</source>
        <translation>The program is already running.</translation>
    </message>
</context>
<context>
    <name>CTAVINDlg</name>
    <message>
        <source>다른 파일이 열리는 중입니다.</source>
        <translation>Another file is being opened.</translation>
    </message>
    <message>
        <source>현재 사용중인 SD 카드가 제거 되었습니다.</source>
        <translation>The SD card in use was removed.</translation>
    </message>
    <message>
        <source>이 기능은 이 버전에서 아직 제공되지 않습니다.</source>
        <translation>This feature is not available in this version yet.</translation>
    </message>
    <message>
        <source>프로그램 정보</source>
        <translation>About</translation>
    </message>
    <message>
        <source>SD카드가 연결되어 있지 않습니다. SD카드를 확인하여 주세요.</source>
        <translation>No SD card is connected. Please check the SD card.</translation>
    </message>
    <message>
        <source>현재 포맷 대상 드라이브의 영상이 사용 중입니다. 재생을 중지합니다.</source>
        <translation>A video from the card to be formatted is playing. Playback will stop.</translation>
    </message>
    <message>
        <source>녹화 파일을 찾는 중입니다...</source>
        <translation>Looking for recordings...</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>영상을 저장하는 중입니다...</source>
        <translation>Saving the videos...</translation>
    </message>
    <message>
        <source>다음 파일을 저장하지 못했습니다.</source>
        <translation>These files could not be saved:</translation>
    </message>
    <message>
        <source>이미지를 저장하지 못했습니다.
%1: %2</source>
        <translation>The image could not be saved.
%1: %2</translation>
    </message>
    <message>
        <source>같은 이름의 파일이 있어 다음 파일은 번호를 붙인 이름으로 저장했습니다.</source>
        <translation>Some files had the same name, so these were saved with a number added:</translation>
    </message>
    <message>
        <source>이 영상에는 후방 카메라 화면이 없습니다.</source>
        <translation>This recording has no rear camera picture.</translation>
    </message>
    <message>
        <source>충격 시각과 세기</source>
        <translation>Impact times and strengths</translation>
    </message>
    <message>
        <source>이 충격의 앞뒤 20초를 영상으로 내보내기 (E)</source>
        <translation>Export 20 s before and after this impact (E)</translation>
    </message>
    <message>
        <source>충격 없음</source>
        <translation>No impacts</translation>
    </message>
    <message numerus="yes">
        <source>충격 %n건</source>
        <translation>
            <numerusform>%n impact</numerusform>
            <numerusform>%n impacts</numerusform>
        </translation>
    </message>
    <message>
        <source>보관함을 열 수 없어 이번에는 쓰지 않습니다.</source>
        <translation>The archive cannot be opened, so it will not be used this time.</translation>
    </message>
    <message>
        <source>보관함 파일을 쓸 수 없어 옆으로 옮기고 새로 만들었습니다. 카드와 폴더는 열 때 다시 색인됩니다.</source>
        <translation>The archive file could not be used, so it was moved aside and a new one was started. Cards and folders are indexed again as you open them.</translation>
    </message>
    <message>
        <source>%1을(를) 보관함에 색인하지 못했습니다: %2</source>
        <translation>Could not add %1 to the archive: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n개 파일은 읽을 수 없어 위치 없이 보관했습니다.</source>
        <translation>
            <numerusform>%n file could not be read and was archived without its location data.</numerusform>
            <numerusform>%n files could not be read and were archived without their location data.</numerusform>
        </translation>
    </message>
    <message>
        <source>이 주행의 영상은 &quot;%1&quot;에 있습니다.
그 카드나 백업 폴더를 연결한 뒤 다시 골라 주세요.</source>
        <translation>The videos of this drive are on &quot;%1&quot;.
Connect that card or backup folder, then choose the drive again.</translation>
    </message>
    <message>
        <source>이 순간의 영상을 보관함에서 찾지 못했습니다.</source>
        <translation>The video of this moment was not found in the archive.</translation>
    </message>
</context>
<context>
    <name>DescribeCard</name>
    <message>
        <source>(이름 없음)</source>
        <translation>(no name)</translation>
    </message>
</context>
<context>
    <name>RecordingName</name>
    <message>
        <source>상시 녹화</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>수동 녹화</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>상시 이벤트</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>주차 이벤트</source>
        <translation>Park event</translation>
    </message>
    <message>
        <source>주차 모션</source>
        <translation>Park motion</translation>
    </message>
</context>
<context>
    <name>ExportChoicesDlg</name>
    <message>
        <source>영상 내보내기</source>
        <translation>Export a clip</translation>
    </message>
    <message>
        <source>원본 영상 그대로 복사 (재인코딩 없음, 전방·후방 별도 트랙, 자막으로 정보 표시)</source>
        <translation>Copy the original video as it is (no re-encoding; front and rear as separate tracks, the on-screen details as subtitles)</translation>
    </message>
    <message>
        <source>후방 영상 위치</source>
        <translation>Rear view position</translation>
    </message>
    <message>
        <source>전방 영상의 오른쪽 위</source>
        <translation>Top right, over the front view</translation>
    </message>
    <message>
        <source>전방 영상 아래 (전방 영상을 가리지 않음)</source>
        <translation>Below the front view (hides none of it)</translation>
    </message>
    <message>
        <source>차량 내 소리 포함</source>
        <translation>Include the in-car sound</translation>
    </message>
    <message>
        <source>원본 영상을 검증하여 함께 복사 (sources 폴더)</source>
        <translation>Also copy the original recordings, verified (sources folder)</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ToolDialogs</name>
    <message>
        <source>저장 폴더 선택</source>
        <translation>Choose the folder to save to</translation>
    </message>
    <message>
        <source>다음 파일이 이미 있습니다. 바꾸시겠습니까?</source>
        <translation>These files already exist. Replace them?</translation>
    </message>
</context>
<context>
    <name>device::CSelDriveDlg</name>
    <message>
        <source>SD 카드 드라이브 선택</source>
        <translation>Choose the SD card drive</translation>
    </message>
    <message>
        <source>SD 카드를 선택해주세요.</source>
        <translation>Choose the SD card.</translation>
    </message>
</context>
</TS>
